#!/usr/bin/env python3
"""The logbook's page in headless Chromium from file:// with the network
shut: generated logs of every kind and the real ULog samples, each flight's
own page written beside it. The page loads without a console error or a
request beyond the file; the table holds every flight, sorts and filters;
the totals, trend plots and overview follow the filter; each row links to
a flight page that is there.
Usage: book_page_browser_test.py FLIGHTREPLAY_BOOK MAKE_FLIGHT_FILES MAKE_LOG_TREE REAL_LOG_DIR
Exit status 77 (skipped) without chromium."""

import os
import shutil
import sqlite3
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "studio", "page"))
from devtools import Browser, pixels  # noqa: E402

BOOK, MAKE_FLIGHT_FILES, MAKE_LOG_TREE, REAL_LOG_DIR = sys.argv[1:5]
MULTICOPTER = (0xd6, 0x27, 0x28)
problems = []


def check(condition, message):
    if not condition:
        problems.append(message)
        print("FAIL: " + message, file=sys.stderr)


def seconds(text):
    h, m, s = text.split(":")
    return int(h) * 3600 + int(m) * 60 + int(s)


def main():
    if not shutil.which("chromium"):
        print("skipped: chromium is not installed (Debian package chromium)")
        return 77
    work = tempfile.mkdtemp(prefix="flightreplay-book-page-")
    try:
        os.makedirs(os.path.join(work, "logs", "generated"))
        subprocess.run([MAKE_FLIGHT_FILES, os.path.join(work, "logs", "generated")], check=True)
        subprocess.run([MAKE_LOG_TREE, os.path.join(work, "logs", "tree"), "16"], check=True)
        shutil.copytree(REAL_LOG_DIR, os.path.join(work, "logs", "real"))
        env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
        subprocess.run([BOOK, "logs"], cwd=work, check=True, capture_output=True, env=env, timeout=300)
        written = subprocess.run([BOOK, "--page", "out/book.html", "--flight-pages", "out/flights"], cwd=work,
                                 capture_output=True, text=True, env=env, timeout=600)
        check(written.returncode == 0, f"--page: status {written.returncode}: {written.stderr}")
        db = sqlite3.connect(os.path.join(work, "logbook.sqlite"))
        flights = db.execute("SELECT count(*) FROM flights").fetchone()[0]
        with_sag = db.execute("SELECT count(*) FROM flights WHERE battery_sag_v IS NOT NULL").fetchone()[0]
        shaking = db.execute("SELECT count(*) FROM flights WHERE max_vibration IS NOT NULL").fetchone()[0]
        rovers = db.execute("SELECT count(*) FROM flights WHERE vehicle = 'rover'").fetchone()[0]
        db.close()
        page = os.path.join(work, "out", "book.html")
        browser = Browser("file://" + page, 1400, 1600)
        try:
            browser.wait_for("window.logbookPage && window.logbookPage.ready")
            rows = browser.evaluate("document.querySelectorAll('#flights tbody tr').length")
            check(rows == flights, f"{rows} rows for {flights} flights")
            summary = browser.evaluate("document.getElementById('summary').textContent")
            check(summary.startswith(f"{flights} flights, "), f"summary {summary!r}")
            dots = browser.evaluate("Array.from(document.querySelectorAll('.trend')).map("
                                    "t => t.dataset.figure + ':' + t.querySelectorAll('circle').length).join(' ')")
            check(shaking > 0 and dots == f"vibration:{shaking} sag:{with_sag} duration:{flights}",
                  f"trend points {dots!r}; {shaking} flights with vibration findings")
            links = browser.evaluate("Array.from(document.querySelectorAll('#flights tbody a')).map(a => a.getAttribute('href'))")
            check(len(links) == flights, f"{len(links)} links for {flights} flights")
            missing = [link for link in links if not os.path.exists(os.path.join(work, "out", link))]
            check(not missing, f"links to pages that are not there: {missing[:3]}")
            browser.screenshot(os.path.join(work, "all.png"))
            for up in (True, False):
                browser.evaluate("window.logbookPage.sortBy('duration')")
                times = [seconds(t) for t in browser.evaluate(
                    "Array.from(document.querySelectorAll('#flights tbody tr td:nth-child(4)')).map(td => td.textContent)")]
                check(times == sorted(times, reverse=not up), f"durations not sorted {'up' if up else 'down'}: {times}")
            browser.evaluate("window.logbookPage.filter('rover')")
            shown = browser.evaluate("window.logbookPage.shown()")
            rows = browser.evaluate("document.querySelectorAll('#flights tbody tr').length")
            summary = browser.evaluate("document.getElementById('summary').textContent")
            check(shown == rovers == rows and summary.startswith(f"{rovers} flights, "),
                  f"filter 'rover': {shown} shown, {rows} rows, {summary!r}; {rovers} rovers in the book")
            browser.evaluate("window.logbookPage.filter('')")
            check(not browser.errors, "console errors: " + "; ".join(browser.errors))
            strangers = [u for u in browser.requests if not (u.startswith("file:") or u.startswith("data:"))]
            check(not strangers, "requests beyond the file: " + ", ".join(strangers))
        finally:
            browser.close()
        width, height, rgb = pixels(os.path.join(work, "all.png"))
        red = sum(1 for i in range(width * height) if sum(abs(rgb[3 * i + c] - MULTICOPTER[c]) for c in range(3)) < 30)
        check(red > 20, f"{red} pixels of the multicopters' colour on the overview")
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 1 if problems else 0


sys.exit(main())
