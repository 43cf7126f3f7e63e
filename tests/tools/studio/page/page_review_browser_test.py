#!/usr/bin/env python3
"""The review on the page, in headless Chromium from file:// with the
network shut: a generated DataFlash log with trouble lists every finding
the page holds, each in its severity's colour, a click on one seeks the
clock to its start, and the timeline carries amber and red marks; a
healthy flight lists none and has no such marks.
Usage: page_review_browser_test.py FLIGHTREPLAY_STUDIO MAKE_FLIGHT_FILES
Exit status 77 (skipped) without chromium."""

import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from devtools import Browser, pixels  # noqa: E402

AMBER = (255, 165, 0)
RED = (230, 30, 30)


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def marks(shot, box):
    """Pixels near amber and near red inside box (left, top, right, bottom)."""
    width, _, rgb = pixels(shot)
    counts = [0, 0]
    for y in range(int(box[1]), int(box[3])):
        for x in range(int(box[0]), int(box[2])):
            i = 3 * (y * width + x)
            for k, colour in enumerate((AMBER, RED)):
                if sum(abs(rgb[i + c] - colour[c]) for c in range(3)) < 30:
                    counts[k] += 1
    return counts


def check(studio, folder, name, troubled):
    page = os.path.join(folder, name + ".html")
    run = subprocess.run([studio, os.path.join(folder, name + ".bin"), "--export-page", page], cwd=folder,
                         capture_output=True, text=True, env={k: v for k, v in os.environ.items() if k != "DISPLAY"})
    if run.returncode != 0:
        fail(f"{name}: export status {run.returncode}: {run.stderr}")
    browser = Browser("file://" + page, 1200, 800)
    try:
        browser.wait_for("window.flightPage && window.flightPage.ready")
        browser.evaluate("window.flightPage.pause()")
        findings = browser.evaluate("page.flights[0].review.findings")
        rows = browser.evaluate("""Array.from(document.querySelectorAll('#findings tr')).map((r) => {
            return {colour: getComputedStyle(r.cells[1]).color, kind: r.cells[1].textContent};
        })""")
        if len(rows) != len(findings):
            fail(f"{name}: {len(rows)} rows for {len(findings)} findings")
        for row, finding in zip(rows, findings):
            want = "rgb({}, {}, {})".format(*(RED if finding["severity"] == "failure" else AMBER))
            if row["colour"] != want or row["kind"] != finding["severity"] + " " + finding["kind"]:
                fail(f"{name}: row {row} for a {finding['severity']} {finding['kind']}")
        for index in (len(findings) - 2, len(findings) - 1):
            finding = findings[index] if index >= 0 else None
            if finding is None:
                continue
            browser.evaluate("window.flightPage.seek(0)")
            row = browser.evaluate(f"""(() => {{ const r = document.querySelectorAll('#findings tr')[{index}];
                r.scrollIntoView({{block: 'center'}}); const box = r.getBoundingClientRect();
                return {{x: box.left + box.width / 2, y: box.top + box.height / 2}}; }})()""")
            browser.click(row["x"], row["y"])
            at = browser.evaluate("window.flightPage.time()")
            offset = browser.evaluate("page.flights[0].offset")
            if abs(at - (offset + finding["start"])) > 0.01:
                fail(f"{name}: a click on the {finding['kind']} finding put the clock at {at:.2f} s, "
                     f"not its start {offset + finding['start']:.2f} s")
        browser.evaluate("window.flightPage.seek(0); window.flightPage.renderFrame()")
        box = browser.evaluate("""(() => { const b = document.getElementById('timeline').getBoundingClientRect();
            return [b.left, b.top, b.right, b.bottom]; })()""")
        shot = os.path.join(folder, name + ".png")
        browser.screenshot(shot)
        if browser.errors:
            fail(f"{name}: console errors: " + "; ".join(browser.errors))
        strangers = [u for u in browser.requests if not (u.startswith("file:") or u.startswith("data:"))]
        if strangers:
            fail(f"{name}: requests beyond the file: " + ", ".join(strangers))
    finally:
        browser.close()
    amber, red = marks(shot, box)
    print(f"{name}: {len(findings)} findings listed, timeline marks: {amber} amber, {red} red pixels")
    if troubled and (not findings or amber < 20 or red < 20):
        fail(f"{name}: the findings or their marks are missing")
    if not troubled and (findings or amber > 5 or red > 5):
        fail(f"{name}: a healthy flight shows findings or marks")


def main():
    studio, make_files = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    if not shutil.which("chromium"):
        print("skipped: chromium is not installed (Debian package chromium)")
        return 77
    folder = tempfile.mkdtemp(prefix="page-review-")
    try:
        subprocess.run([make_files, folder], check=True)
        check(studio, folder, "trouble", True)
        check(studio, folder, "healthy", False)
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
