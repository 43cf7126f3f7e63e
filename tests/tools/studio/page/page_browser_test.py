#!/usr/bin/env python3
"""The demo flight's page in headless Chromium, from file:// with the
network shut: within its size budget, no console error and no request
beyond the file itself; the aircraft over varied ground; a seek that moves
the aircraft on a still camera; the numbers shown after a click on the
timeline against the demo log's own rows at that moment; #t=SECONDS opens
there; the clock plays.
Usage: page_browser_test.py FLIGHTREPLAY_STUDIO DEMO_FOLDER
Exit status 77 (skipped) without chromium. KEEP_PAGE_SHOTS=DIR keeps the pictures."""

import math
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from devtools import Browser, pixels  # noqa: E402

BUDGET_BYTES = 8_000_000
WIDTH, HEIGHT = 1280, 1024
START = 300.0


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def demo_rows(path):
    with open(path) as log:
        names = log.readline().strip().split(",")
        rows = [dict(zip(names, map(float, line.split(",")))) for line in log if line.strip()]
    return rows


def log_at(rows, t):
    """The demo log's values t seconds after its first row, between rows."""
    t0 = rows[0]["gps_time"]
    for a, b in zip(rows, rows[1:]):
        if a["gps_time"] - t0 <= t <= b["gps_time"] - t0:
            f = (t - (a["gps_time"] - t0)) / (b["gps_time"] - a["gps_time"])
            value = lambda k: a[k] + (b[k] - a[k]) * f  # noqa: E731

            def angle(k):
                step = math.remainder(b[k] - a[k], 2 * math.pi)
                return a[k] + step * f
            # The log: heading counter-clockwise from east, roll positive
            # left wing down, radians.
            return {
                "altitude": value("gps_curalt"),
                "heading": (90 - math.degrees(angle("gps_curheading"))) % 360,
                "roll": math.degrees(angle("pyro_curroll")),
                "pitch": math.degrees(angle("pyro_curpitch")),
                "voltage": value("voltage1"),
                "speed": value("gps_curspeed"),
                "utc": a["gps_time"] + (t - (a["gps_time"] - t0)),
            }
    fail(f"no rows around {t} s")


def number(text):
    return float(text.replace("\u00b0", " ").split()[0])


def red_pixels(picture):
    """Positions of the trainer's red wing tips and nose."""
    width, height, rgb = pixels(picture)
    found = []
    for i in range(width * height):
        r, g, b = rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]
        if r > 120 and g < 70 and b < 70 and r > 2.5 * g:
            found.append((i % width, i // width))
    return found


def main():
    studio, demo = os.path.abspath(sys.argv[1]), sys.argv[2]
    if not shutil.which("chromium"):
        print("skipped: chromium is not installed (Debian package chromium)")
        return 77
    work = tempfile.mkdtemp(prefix="page-test-")
    keep = os.environ.get("KEEP_PAGE_SHOTS")
    try:
        page = os.path.join(work, "demo.html")
        run = subprocess.run([studio, "demo.log", "--export-page", page], cwd=demo, capture_output=True, text=True,
                             env={k: v for k, v in os.environ.items() if k != "DISPLAY"})
        if run.returncode != 0:
            fail(f"export: status {run.returncode}: {run.stderr}")
        size = os.path.getsize(page)
        print(f"page: {size / 1e6:.2f} MB")
        if size > BUDGET_BYTES:
            fail(f"the page is {size} bytes, over the budget of {BUDGET_BYTES}")
        rows = demo_rows(os.path.join(demo, "demo.log"))
        browser = Browser(f"file://{page}#t={START:.1f}", WIDTH, HEIGHT)
        try:
            check_page(browser, rows, work)
        finally:
            browser.close()
        if keep:
            os.makedirs(keep, exist_ok=True)
            for name in os.listdir(work):
                if name.endswith(".png"):
                    shutil.copy(os.path.join(work, name), keep)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print("the page plays in chromium")
    return 0


def check_page(browser, rows, work):
    browser.wait_for("window.flightPage && window.flightPage.ready")
    browser.wait_for("document.getElementById('v-time').dataset.seconds !== undefined")
    opened = float(browser.evaluate("document.getElementById('v-time').dataset.seconds"))
    if abs(opened - START) > 1e-3:
        fail(f"#t={START} opened at {opened}")
    if browser.evaluate("document.getElementById('moment-link').getAttribute('href')") != f"#t={START:.1f}":
        fail("the link to the moment does not name it")

    # The aircraft over varied ground, panels hidden (Tab).
    browser.key("Tab", "Tab", 9)
    time.sleep(0.5)
    chase = os.path.join(work, "page-chase.png")
    browser.screenshot(chase)
    red = red_pixels(chase)
    central = [p for p in red if WIDTH / 4 < p[0] < 3 * WIDTH / 4 and HEIGHT / 4 < p[1] < 3 * HEIGHT / 4]
    print(f"chase view: {len(central)} red pixels of the model in the middle, {len(red) - len(central)} elsewhere")
    if len(central) < 200 or len(central) < 3 * (len(red) - len(central)):
        fail("no aircraft in the middle of the chase view")
    width, height, rgb = pixels(chase)
    lower = range(width * (height * 3 // 4), width * height)
    colours = {(rgb[3 * i] >> 4, rgb[3 * i + 1] >> 4, rgb[3 * i + 2] >> 4) for i in lower}
    lum = [0.3 * rgb[3 * i] + 0.59 * rgb[3 * i + 1] + 0.11 * rgb[3 * i + 2] for i in lower]
    mean = sum(lum) / len(lum)
    spread = math.sqrt(sum((v - mean) ** 2 for v in lum) / len(lum))
    print(f"ground under it: {len(colours)} colours, brightness spread {spread:.1f}")
    if len(colours) < 30 or spread < 8:
        fail("the ground is uniform")

    # A still camera (free, key 4) and a seek through the address: the
    # picture changes where the aircraft was and where it is now.
    browser.key("4", "Digit4", 52)
    time.sleep(0.3)
    before = os.path.join(work, "page-free-before.png")
    browser.screenshot(before)
    browser.evaluate(f"window.location.hash = '#t={START + 2:.1f}'")
    browser.wait_for(f"Math.abs(window.flightPage.time() - {START + 2}) < 1e-6")
    time.sleep(0.5)
    after = os.path.join(work, "page-free-after.png")
    browser.screenshot(after)
    check_moved(before, after)

    # Back to the chase, panels shown; a click on the timeline seeks there.
    browser.key("1", "Digit1", 49)
    browser.key("Tab", "Tab", 9)
    time.sleep(0.3)
    box = browser.evaluate("(() => { const r = document.getElementById('timeline').getBoundingClientRect();"
                           " return [r.left, r.top, r.width, r.height]; })()")
    duration = rows[-1]["gps_time"] - rows[0]["gps_time"]
    fraction = 0.37
    browser.click(box[0] + fraction * box[2], box[1] + box[3] / 2)
    time.sleep(0.5)
    seconds = float(browser.evaluate("document.getElementById('v-time').dataset.seconds"))
    if abs(seconds - fraction * duration) > duration / box[2] + 0.01:
        fail(f"a click at {fraction:.2f} of the timeline went to {seconds:.2f} s of {duration:.1f}")
    texts = browser.evaluate("Object.fromEntries(Array.from(document.querySelectorAll('#numbers td'))"
                             ".map(td => [td.id, td.textContent]))")
    browser.screenshot(os.path.join(work, "page-panels.png"))
    check_numbers(texts, log_at(rows, seconds), seconds)

    # It follows the window's size.
    browser.call("Emulation.setDeviceMetricsOverride", width=800, height=600, deviceScaleFactor=1, mobile=False)
    browser.wait_for("renderer.domElement.width === 800 && renderer.domElement.height === 600", 30)

    # It plays.
    browser.key(" ", "Space", 32)
    start = browser.evaluate("window.flightPage.time()")
    time.sleep(2.0)
    played = browser.evaluate("window.flightPage.time()") - start
    print(f"played {played:.2f} s of the flight in 2 s")
    if played < 0.5:
        fail("the clock does not play")
    if browser.errors:
        fail("console errors: " + "; ".join(browser.errors))
    strangers = [u for u in browser.requests if not (u.startswith("file:") or u.startswith("data:"))]
    if strangers:
        fail("requests beyond the file: " + ", ".join(strangers))


def check_moved(before, after):
    width, height, a = pixels(before)
    _, _, b = pixels(after)
    red_a, red_b = red_pixels(before), red_pixels(after)
    if not red_a or not red_b:
        fail("the aircraft is not in the still camera's pictures")

    def centre(points):
        return (sum(p[0] for p in points) / len(points), sum(p[1] for p in points) / len(points))
    ca, cb = centre(red_a), centre(red_b)
    moved = math.dist(ca, cb)
    changed = [(i % width, i // width) for i in range(width * height)
               if abs(a[3 * i] - b[3 * i]) + abs(a[3 * i + 1] - b[3 * i + 1]) + abs(a[3 * i + 2] - b[3 * i + 2]) > 40]
    # Where the aircraft was and is: its red parts' boxes, widened by the
    # model's size on screen.
    def near(points, p):
        xs, ys = [q[0] for q in points], [q[1] for q in points]
        margin = max(max(xs) - min(xs), max(ys) - min(ys)) * 0.6 + 20
        return min(xs) - margin <= p[0] <= max(xs) + margin and min(ys) - margin <= p[1] <= max(ys) + margin
    inside = sum(1 for p in changed if near(red_a, p) or near(red_b, p))
    print(f"still camera: the model moved {moved:.0f} px; {len(changed)} pixels changed, "
          f"{inside / max(len(changed), 1):.0%} of them where it was or is")
    if moved < 10:
        fail("the aircraft did not move on the still camera")
    if not changed or inside < 0.9 * len(changed):
        fail("the picture changed away from the aircraft")


def check_numbers(texts, expected, seconds):
    tenths = math.floor(seconds * 10 + 0.5)
    clock = f"{tenths // 600}:{tenths // 10 % 60:02d}.{tenths % 10}"
    utc = time.strftime("2026-06-14 %H:%M:%S UTC", time.gmtime(math.floor(expected["utc"])))
    print(f"at {seconds:.3f} s the page shows {texts}")
    if texts["v-time"] != clock:
        fail(f"time {texts['v-time']!r}, not {clock!r}")
    if texts["v-utc"] != utc:
        fail(f"UTC {texts['v-utc']!r}, not {utc!r}")
    roll = number(texts["v-roll"]) * (-1 if texts["v-roll"].endswith("R") else 1)
    shown = {
        "altitude": number(texts["v-altitude"]),
        "heading": number(texts["v-heading"]),
        "roll": roll,
        "pitch": number(texts["v-pitch"]),
        "voltage": number(texts["v-battery"]),
        "speed": number(texts["v-ground-speed"]),
    }
    # Half the last digit shown, and the thinning's half digit.
    tolerance = {"altitude": 0.11, "heading": 0.11, "roll": 0.11, "pitch": 0.11, "voltage": 0.011, "speed": 0.11}
    for name, value in shown.items():
        off = value - expected[name]
        if name == "heading":
            off = math.remainder(off, 360)
        if abs(off) > tolerance[name]:
            fail(f"{name} {value} on the page, {expected[name]:.3f} in the log at {seconds:.3f} s")


if __name__ == "__main__":
    sys.exit(main())
