#!/usr/bin/env python3
"""A logbook run killed in the middle (SIGKILL, and Ctrl-C's SIGINT) leaves
a sound book holding whole files only, and the next run completes it to
the same book a run left alone writes.
Usage: book_interrupted_test.py FLIGHTREPLAY_BOOK MAKE_LOG_TREE"""

import os
import shutil
import signal
import sqlite3
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from book_rows import book_rows, consistency_faults  # noqa: E402

BOOK, MAKE_LOG_TREE = sys.argv[1], sys.argv[2]
LOGS = 600


def committed_files(path):
    try:
        db = sqlite3.connect(f"file:{path}?mode=ro", uri=True, timeout=10)
        try:
            return db.execute("SELECT count(*) FROM files").fetchone()[0]
        finally:
            db.close()
    except sqlite3.Error:
        return 0


def interrupted(work, sig, reference):
    book = os.path.join(work, f"book-{sig.name}.sqlite")
    process = subprocess.Popen([BOOK, "--db", book, "--jobs", "1", "logs"], cwd=work,
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    deadline = time.time() + 120
    while committed_files(book) == 0 and process.poll() is None and time.time() < deadline:
        time.sleep(0.01)
    process.send_signal(sig)
    process.communicate(timeout=60)
    problems = []
    held = committed_files(book)
    if not 0 < held < LOGS:
        problems.append(f"{sig.name}: {held} of {LOGS} files in the book when killed: not in the middle of the run")
    problems += [f"{sig.name}: {fault}" for fault in consistency_faults(book)]
    again = subprocess.run([BOOK, "--db", book, "logs"], cwd=work, capture_output=True, text=True, timeout=300)
    counts = again.stdout.split()
    if again.returncode != 0 or len(counts) != 8 or int(counts[2]) != held or int(counts[0]) + int(counts[6]) != LOGS - held:
        problems.append(f"{sig.name}: the next run said {again.stdout!r} {again.stderr!r} after {held} files were in")
    if book_rows(book) != reference:
        problems.append(f"{sig.name}: the completed book differs from one written in one run")
    return problems


def main():
    work = tempfile.mkdtemp(prefix="flightreplay-book-kill-")
    try:
        subprocess.run([MAKE_LOG_TREE, os.path.join(work, "logs"), str(LOGS)], check=True)
        subprocess.run([BOOK, "--db", "reference.sqlite", "logs"], cwd=work, check=True, capture_output=True,
                       timeout=300)
        reference = book_rows(os.path.join(work, "reference.sqlite"))
        problems = []
        for sig in (signal.SIGKILL, signal.SIGINT):
            problems += interrupted(work, sig, reference)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    for problem in problems:
        print("FAIL: " + problem, file=sys.stderr)
    sys.exit(1 if problems else 0)


main()
