#!/usr/bin/env python3
"""Fails when a relative link or picture of the README or the guide in docs/
names a file that is not there, or a page's heading that it lacks.

usage: check_guide_links.py SOURCE_DIR
"""
import pathlib
import re
import sys

LINK = re.compile(r"!?\[[^\]]*\]\(([^)\s]+)\)")


def anchors(page):
    # GitHub's anchors: lower case, punctuation dropped, blanks as hyphens.
    return {re.sub(r"[^\w\- ]", "", h.strip().lower()).replace(" ", "-")
            for h in re.findall(r"^#+ (.*)$", page.read_text(encoding="utf-8"), re.M)}


def main():
    top = pathlib.Path(sys.argv[1])
    pages = [top / "README.md"] + sorted((top / "docs").glob("*.md"))
    broken = []
    for page in pages:
        for target in LINK.findall(page.read_text(encoding="utf-8")):
            if re.match(r"[a-z]+:", target):
                continue
            path, _, anchor = target.partition("#")
            file = (page.parent / path).resolve() if path else page
            if not file.exists():
                broken.append(f"{page.relative_to(top)}: {target}: no such file")
            elif anchor and file.suffix == ".md" and anchor not in anchors(file):
                broken.append(f"{page.relative_to(top)}: {target}: no such heading")
    if broken:
        sys.exit("\n".join(broken))
    print(f"{len(pages)} pages, every link found")


main()
