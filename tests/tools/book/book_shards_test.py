#!/usr/bin/env python3
"""A fleet's logs read as shards, a share each, and merged: the same book
as one run over all of them, whichever order the shards come in and however
often one is merged; the merged book is up to date for the next run.
Usage: book_shards_test.py FLIGHTREPLAY_BOOK MAKE_LOG_TREE REAL_LOG_DIR"""

import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from book_rows import book_rows  # noqa: E402

BOOK, MAKE_LOG_TREE, REAL_LOG_DIR = sys.argv[1:4]


def book(args, cwd):
    result = subprocess.run([BOOK, *args], cwd=cwd, capture_output=True, text=True, timeout=300)
    if result.returncode != 0:
        print(f"FAIL: {args}: status {result.returncode}: {result.stderr}", file=sys.stderr)
        sys.exit(1)
    return result.stdout


def main():
    work = tempfile.mkdtemp(prefix="flightreplay-book-shards-")
    problems = []
    try:
        subprocess.run([MAKE_LOG_TREE, os.path.join(work, "logs"), "300", REAL_LOG_DIR], check=True)
        shares = sorted(os.listdir(os.path.join(work, "logs")))
        book(["--db", "one.sqlite", "logs"], work)
        one = book_rows(os.path.join(work, "one.sqlite"))
        os.makedirs(os.path.join(work, "shards"))
        shards = []
        for share in shares:
            shards.append(f"shards/{share}.sqlite")
            book(["--shard", shards[-1], f"logs/{share}"], work)
        if os.path.exists(os.path.join(work, shards[0] + ".part")):
            problems.append("a shard's temporary left behind")
        cases = [("in order", shards), ("reversed, the first twice", shards[::-1] + shards[-1:])]
        for name, order in cases:
            merged = f"merged-{len(order)}.sqlite"
            said = book(["--merge", merged, *order], work)
            if not said.endswith(f"from {len(order)} shards\n"):
                problems.append(f"{name}: merge said {said!r}")
            if book_rows(os.path.join(work, merged)) != one:
                problems.append(f"{name}: the merged book differs from one run's")
        again = book(["--db", f"merged-{len(shards)}.sqlite", "logs"], work)
        if not again.startswith("0 read, 300 unchanged, 0 gone"):
            problems.append(f"the run after the merge said {again!r}")
    finally:
        shutil.rmtree(work, ignore_errors=True)
    for problem in problems:
        print("FAIL: " + problem, file=sys.stderr)
    sys.exit(1 if problems else 0)


main()
