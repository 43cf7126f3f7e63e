#!/usr/bin/env python3
"""Pages of flights of every kind, written in a folder without terrain, in
headless Chromium from file:// with the network shut: the real ULog
samples, a generated DataFlash log and IGC track, and two GPX flights in
one page. Each loads without a console error or a request beyond the
file, shows the flat grid ground, plays, and shows a dash for what the
flight does not have.
Usage: page_flights_browser_test.py FLIGHTREPLAY_STUDIO MAKE_FLIGHT_FILES REAL_LOG_DIR...
Exit status 77 (skipped) without chromium."""

import glob
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from devtools import Browser, pixels  # noqa: E402

GRID_GROUND = (112, 122, 104)


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def check(studio, folder, flights, name, no_battery):
    page = os.path.join(folder, name + ".html")
    run = subprocess.run([studio, *flights, "--export-page", page], cwd=folder, capture_output=True, text=True,
                         env={k: v for k, v in os.environ.items() if k != "DISPLAY"})
    if run.returncode != 0:
        fail(f"{name}: export status {run.returncode}: {run.stderr}")
    if "no terrain for this flight" not in run.stdout:
        fail(f"{name}: no word on the missing terrain: {run.stdout}")
    browser = Browser("file://" + page, 800, 600)
    try:
        browser.wait_for("window.flightPage && window.flightPage.ready")
        start = browser.evaluate("window.flightPage.time()")
        time.sleep(2.0)
        played = browser.evaluate("window.flightPage.time()") - start
        browser.evaluate("window.flightPage.pause()")
        shot = os.path.join(folder, name + ".png")
        browser.key("Tab", "Tab", 9)
        time.sleep(0.3)
        browser.screenshot(shot)
        battery = browser.evaluate("document.getElementById('v-battery').textContent")
        flights_shown = browser.evaluate("document.getElementById('flight').options.length")
        if browser.errors:
            fail(f"{name}: console errors: " + "; ".join(browser.errors))
        strangers = [u for u in browser.requests if not (u.startswith("file:") or u.startswith("data:"))]
        if strangers:
            fail(f"{name}: requests beyond the file: " + ", ".join(strangers))
    finally:
        browser.close()
    width, height, rgb = pixels(shot)
    lower = range(width * height // 2, width * height)
    ground = sum(1 for i in lower if sum(abs(rgb[3 * i + c] - GRID_GROUND[c]) for c in range(3)) < 40)
    print(f"{name}: played {played:.2f} s in 2 s, grid ground {ground / len(lower):.0%} of the lower half, "
          f"battery {battery!r}, {flights_shown} flight(s)")
    if played <= 0.2:
        fail(f"{name}: the clock does not play")
    if ground < 0.2 * len(lower):
        fail(f"{name}: no flat grid ground")
    if no_battery and battery != "\u2014":
        fail(f"{name}: battery {battery!r} for a flight without one")
    if flights_shown != len(flights):
        fail(f"{name}: {flights_shown} flights in the page, not {len(flights)}")


def main():
    studio, make_files = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    if not shutil.which("chromium"):
        print("skipped: chromium is not installed (Debian package chromium)")
        return 77
    ulogs = []
    for folder in sys.argv[3:]:
        ulogs = sorted(glob.glob(os.path.join(os.path.abspath(folder), "*.ulg")))
        if ulogs:
            break
    if not ulogs:
        fail("no real ULog in " + " ".join(sys.argv[3:]))
    work = tempfile.mkdtemp(prefix="page-flights-")
    try:
        subprocess.run([make_files, work], check=True)
        cases = [([u], "ulog-" + os.path.splitext(os.path.basename(u))[0], False) for u in ulogs]
        cases += [(["dataflash.bin"], "dataflash", False), (["glider.igc"], "igc", True),
                  (["fleet01.gpx", "fleet02.gpx"], "two-gpx", True)]
        for flights, name, no_battery in cases:
            check(studio, work, flights, name, no_battery)
        keep = os.environ.get("KEEP_PAGE_SHOTS")
        if keep:
            os.makedirs(keep, exist_ok=True)
            for shot in glob.glob(os.path.join(work, "*.png")):
                shutil.copy(shot, keep)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print("every page plays in chromium")
    return 0


if __name__ == "__main__":
    sys.exit(main())
