#!/usr/bin/env python3
"""flightreplay-book as a user meets it: the closing line of a run and of
the next, books that are not ours refused with one line and left as they
were, a folder that cannot be read and files that vanish during the run
one line each while the run goes on.
Usage: book_program_test.py FLIGHTREPLAY_BOOK MAKE_LOG_TREE"""

import os
import shutil
import sqlite3
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from book_rows import consistency_faults  # noqa: E402

BOOK, MAKE_LOG_TREE = sys.argv[1], sys.argv[2]
failures = []


def fail(message):
    failures.append(message)
    print("FAIL: " + message, file=sys.stderr)


def run(args, cwd, prefix=()):
    return subprocess.run([*prefix, BOOK, *args], cwd=cwd, capture_output=True, text=True, timeout=300)


def messages(stderr):
    """The lines of standard error but the progress lines a long run writes
    every few seconds when standard error is no terminal."""
    return [line for line in stderr.splitlines() if not line.startswith("reading logs: ")]


def closing_lines(work):
    os.makedirs(os.path.join(work, "logs"))
    subprocess.run([MAKE_LOG_TREE, os.path.join(work, "logs"), "120"], check=True)
    first = run(["logs"], work)
    second = run(["--jobs", "1", "logs"], work)
    # 120 files: a note every 100th, 101 generated flights and one ULog cut short.
    for name, result, want in (("first run", first, "119 read, 0 unchanged, 0 gone, 1 skipped\n"),
                               ("second run", second, "0 read, 120 unchanged, 0 gone, 0 skipped\n")):
        if result.returncode != 0 or result.stdout != want or messages(result.stderr):
            fail(f"{name}: status {result.returncode}, {result.stdout!r}, {result.stderr!r}; want {want!r}")


def refusals(work):
    foreign = os.path.join(work, "photos.sqlite")
    db = sqlite3.connect(foreign)
    db.execute("CREATE TABLE photos(name TEXT)")
    db.commit()
    db.close()
    newer = os.path.join(work, "newer.sqlite")
    run(["--db", newer, "logs"], work)
    db = sqlite3.connect(newer)
    db.execute("PRAGMA user_version = 99")
    db.close()
    notes = os.path.join(work, "notes.sqlite")
    with open(notes, "w") as out:
        out.write("props replaced\n")
    book = os.path.join(work, "logbook.sqlite")
    cases = [
        (["--db", foreign, "logs"], foreign + ": not a logbook (another program's SQLite database); left untouched"),
        (["--db", newer, "logs"], newer + ": a logbook of schema 99, newer than this program's 1; left untouched"),
        (["--db", newer, "--list"], newer + ": a logbook of schema 99, newer than this program's 1; left untouched"),
        (["--db", notes, "logs"], notes + ": not a logbook (not an SQLite database); left untouched"),
        (["--merge", book, foreign], foreign + ": not a logbook (another program's SQLite database); left untouched"),
        (["--merge", book, "./logbook.sqlite"], "./logbook.sqlite: the book itself, not a shard to merge into it"),
        (["--list", "--where", "1; DROP TABLE flights"],
         'logbook.sqlite: near ";": syntax error'),
        (["--list", "--where", "nonsense ="], 'logbook.sqlite: near ")": syntax error'),
        (["--db", "missing.sqlite", "--totals"], "missing.sqlite: no such logbook"),
        (["--jobs", "0", "logs"], "--jobs needs a whole number of files read at once, 1 to 256, not '0'"),
        (["--list", "logs"], "--list, --totals and --page read the book: no folders beside them"),
        (["--colour", "logs"], "--colour: unknown option (see --help)"),
    ]
    watched = [foreign, newer, notes, book]
    before = {path: open(path, "rb").read() for path in watched}
    for args, message in cases:
        result = run(args, work)
        lines = messages(result.stderr)
        if (result.returncode != 2 or len(lines) != 1 or not lines[0].startswith("flightreplay-book: " + message)
                or result.stdout):
            fail(f"{args}: status {result.returncode}, stdout {result.stdout!r}, stderr {result.stderr!r}; "
                 f"want status 2 and 'flightreplay-book: {message}'")
    for path in watched:
        if open(path, "rb").read() != before[path]:
            fail(f"{path} changed by a refused run")


def unreadable_folder(work):
    """A folder the user may not read: one line, the rest is read. As root
    every folder is readable, so the program runs as nobody."""
    tree = os.path.join(work, "shared")
    shutil.copytree(os.path.join(work, "logs", "2024"), os.path.join(tree, "open"))
    locked = os.path.join(tree, "locked")
    shutil.copytree(os.path.join(work, "logs", "2024", "01"), locked)
    for root, dirs, files in os.walk(work):
        os.chmod(root, 0o777)
        for name in files:
            os.chmod(os.path.join(root, name), 0o666)
    os.chmod(locked, 0o000)
    prefix = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"] if os.getuid() == 0 else []
    result = run(["--db", "shared.sqlite", "shared"], work, prefix)
    os.chmod(locked, 0o755)
    lines = messages(result.stderr)
    want_line = "shared/locked: cannot be read (Permission denied)"
    readable = sum(len(files) for root, dirs, files in os.walk(os.path.join(tree, "open")))
    counts = result.stdout.split()
    entered = int(counts[0]) + int(counts[6]) if len(counts) == 8 else -1
    if result.returncode != 0 or lines != [want_line] or entered != readable:
        fail(f"unreadable folder: status {result.returncode}, {result.stdout!r}, {lines}; want one line "
             f"{want_line!r} and {readable} files entered")


def vanishing_files(work):
    """Files removed while the run reads a big one first: one line each,
    their rows gone, the book sound."""
    tree = os.path.join(work, "vanishing")
    os.makedirs(tree)
    with open(os.path.join(tree, "a_big.csv"), "w") as out:
        out.write("time,lat,lon,alt\n")
        out.writelines(f"{i * 0.01:.2f},{47 + i * 1e-7:.7f},8.5,400\n" for i in range(1500000))
    shutil.copytree(os.path.join(work, "logs", "2024", "02"), os.path.join(tree, "later"))
    later = sorted(os.listdir(os.path.join(tree, "later")))
    process = subprocess.Popen([BOOK, "--db", "vanishing.sqlite", "--jobs", "1", "vanishing"], cwd=work,
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    big = os.path.realpath(os.path.join(tree, "a_big.csv"))
    deadline = time.time() + 60
    while time.time() < deadline:
        try:
            fds = os.listdir(f"/proc/{process.pid}/fd")
            if any(os.path.realpath(f"/proc/{process.pid}/fd/{fd}") == big for fd in fds):
                break
        except OSError:
            pass
        time.sleep(0.005)
    shutil.rmtree(os.path.join(tree, "later"))
    out, err = process.communicate(timeout=300)
    want = sorted(f"vanishing/later/{name}: gone during the run" for name in later)
    if process.returncode != 0 or sorted(messages(err)) != want or out != f"1 read, 0 unchanged, {len(later)} gone, 0 skipped\n":
        fail(f"vanishing files: status {process.returncode}, {out!r}, {err!r}; want {len(want)} lines gone")
    faults = consistency_faults(os.path.join(work, "vanishing.sqlite"))
    if faults:
        fail("vanishing files: " + "; ".join(faults))


def main():
    work = tempfile.mkdtemp(prefix="flightreplay-book-")
    try:
        for case in (closing_lines, refusals, unreadable_folder, vanishing_files):
            case(work)
    finally:
        subprocess.run(["chmod", "-R", "u+rwx", work])
        shutil.rmtree(work, ignore_errors=True)
    sys.exit(1 if failures else 0)


main()
