"""What a logbook holds, read with Python's own sqlite3, in a form two books
can be compared in: every table's rows without the flights' ids."""

import sqlite3


def book_rows(path):
    """files, flights, findings (by their flight's path and system) and
    skipped, each a sorted list of tuples."""
    db = sqlite3.connect(f"file:{path}?mode=ro", uri=True)
    try:
        files = sorted(db.execute("SELECT path, size, mtime_ns, hash FROM files"))
        columns = [row[1] for row in db.execute("PRAGMA table_info(flights)") if row[1] != "id"]
        flights = sorted(db.execute(f"SELECT {', '.join(columns)} FROM flights"), key=repr)
        findings = sorted(db.execute(
            "SELECT f.path, f.system_id, kind, severity, start, \"end\", value, threshold, unit, text "
            "FROM findings JOIN flights f ON f.id = findings.flight"), key=repr)
        skipped = sorted(db.execute("SELECT path, reason FROM skipped"))
        return {"files": files, "flights": flights, "findings": findings, "skipped": skipped}
    finally:
        db.close()


def consistency_faults(path):
    """Lines naming what a sound book cannot hold: SQLite's integrity check,
    a file without its flights or skipped row, rows without their file."""
    db = sqlite3.connect(f"file:{path}?mode=ro", uri=True)
    try:
        faults = [row[0] for row in db.execute("PRAGMA integrity_check") if row[0] != "ok"]
        faults += [f"{row[0]}: neither flights nor skipped" for row in db.execute(
            "SELECT path FROM files WHERE path NOT IN (SELECT path FROM flights) "
            "AND path NOT IN (SELECT path FROM skipped)")]
        faults += [f"{row[0]}: a flight without its file" for row in db.execute(
            "SELECT path FROM flights WHERE path NOT IN (SELECT path FROM files)")]
        faults += [f"flight {row[0]}: findings without their flight" for row in db.execute(
            "SELECT flight FROM findings WHERE flight NOT IN (SELECT id FROM flights)")]
        return faults
    finally:
        db.close()
