#!/usr/bin/env python3
"""One launch of headless Chromium (software WebGL, SwiftShader) on a page
written by --export-page: the chase view at T seconds, WIDTH x HEIGHT,
panels open, and the median time of FRAMES frames each drawn and waited
for (a pixel read back). Prints to standard error:
    page first_frame_ms steady_frame_ms
first_frame_ms runs from the launch to the page's first frame.
Usage: page_frame_bench.py PAGE.html [T [WIDTH HEIGHT [FRAMES]]]"""

import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "tools", "studio", "page"))
from devtools import Browser  # noqa: E402

MEASURE = """(() => {
  const gl = renderer.getContext();
  const pixel = new Uint8Array(4);
  const times = [];
  window.flightPage.pause();
  for (let i = 0; i < %d; ++i) {
    const start = performance.now();
    window.flightPage.renderFrame();
    gl.readPixels(0, 0, 1, 1, gl.RGBA, gl.UNSIGNED_BYTE, pixel);
    times.push(performance.now() - start);
  }
  times.sort((a, b) => a - b);
  return times[times.length >> 1];
})()"""


def main():
    page = os.path.abspath(sys.argv[1])
    at = float(sys.argv[2]) if len(sys.argv) > 2 else 300.0
    width, height = (int(sys.argv[3]), int(sys.argv[4])) if len(sys.argv) > 4 else (1280, 1024)
    frames = int(sys.argv[5]) if len(sys.argv) > 5 else 60
    launch = time.time()
    browser = Browser(f"file://{page}#t={at}", width, height)
    try:
        browser.wait_for("window.flightPage && window.flightPage.ready", 300)
        first = (time.time() - launch) * 1000
        steady = browser.evaluate(MEASURE % frames)
    finally:
        browser.close()
    print(f"page {first:.2f} {steady:.3f}", file=sys.stderr)


if __name__ == "__main__":
    main()
