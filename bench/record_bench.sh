#!/usr/bin/env bash
# Recording benchmark on the demo data set, headless (no DISPLAY, EGL) and
# under Xvfb in the same run: SECONDS of the flight at 1280 x 720, 30 fps,
# with the read-back alone and with encoding, then headless frames per
# second against Xvfb's (goal: headless at least as fast).
# Usage: bench/record_bench.sh BUILD_DIR [ROUNDS [SECONDS]]
set -euo pipefail
build=$(cd "${1:?usage: record_bench.sh BUILD_DIR [ROUNDS [SECONDS]]}" && pwd)
rounds=${2:-3}
seconds=${3:-20}
. "$(dirname "$0")/bench_demo.sh"
demo=$(bench_demo_folder "$build")
results=$(mktemp)
trap 'rm -f "$results"' EXIT
env -u DISPLAY "$build/bench/record_bench" "$demo" 120 "$seconds" "$rounds" 2>&1 | tee -a "$results" >&2
xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bench/record_bench" "$demo" 120 "$seconds" "$rounds" 2>&1 |
    tee -a "$results" >&2
awk '
    /^headless/ { surface = "headless" } /^X display/ { surface = "xvfb" }
    /render \+ read-back + encode/ { encode[surface] = $(NF - 1) }
    /render \+ read-back  / { plain[surface] = $(NF - 1) }
    END {
        if (!plain["headless"] || !plain["xvfb"]) { print "no results" > "/dev/stderr"; exit 1 }
        printf "headless against Xvfb: render + read-back %.1f / %.1f fps (x%.2f), with encoding %.1f / %.1f fps (x%.2f)\n",
            plain["headless"], plain["xvfb"], plain["headless"] / plain["xvfb"],
            encode["headless"], encode["xvfb"], encode["headless"] / encode["xvfb"]
    }' "$results"
