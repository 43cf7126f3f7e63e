#!/usr/bin/env python3
"""Fails when an option that a program's --help prints is missing from its
manual page, so that the two cannot drift apart.

usage: check_man_page.py PROGRAM PAGE.1.gz
"""
import gzip
import re
import subprocess
import sys

OPTION = re.compile(r"(?<![\w-])--[a-z][a-z0-9-]*")


def page_text(path):
    roff = gzip.open(path, "rt", encoding="utf-8").read()
    # Hyphens are escaped and words set in bold or italics in roff.
    roff = roff.replace("\\-", "-")
    return re.sub(r"\\f[BIRP]", "", roff)


def main():
    program, page = sys.argv[1], sys.argv[2]
    run = subprocess.run([program, "--help"], capture_output=True, text=True, timeout=60)
    if run.returncode != 0:
        sys.exit(f"{program} --help exited with {run.returncode}")
    options = sorted(set(OPTION.findall(run.stdout + run.stderr)))
    text = page_text(page)
    name = program.rsplit("/", 1)[-1]
    if not re.search(r"^\.TH \"?" + re.escape(name) + r"\"? \"?1\"?", text, re.M):
        sys.exit(f"{page} is not the page of {name}(1)")
    missing = [o for o in options if not re.search(r"(?<![\w-])" + re.escape(o) + r"(?![\w-])", text)]
    if missing:
        sys.exit(f"{page} lacks options that --help prints: {' '.join(missing)}")
    print(f"{len(options)} options of --help, all in the page")


main()
