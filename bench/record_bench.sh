#!/usr/bin/env bash
# Recording benchmark on the demo data set, headless (no DISPLAY, EGL) and
# under Xvfb in the same run, launches alternating so that the machine's
# load falls on both alike: SECONDS of the flight at 1280 x 720, 30 fps,
# panels on, with the read-back alone and with encoding; medians of each
# and headless frames per second against Xvfb's (goal: at least as fast).
# Usage: bench/record_bench.sh BUILD_DIR [ROUNDS [SECONDS]]
set -euo pipefail
build=$(cd "${1:?usage: record_bench.sh BUILD_DIR [ROUNDS [SECONDS]]}" && pwd)
rounds=${2:-3}
seconds=${3:-20}
. "$(dirname "$0")/bench_demo.sh"
demo=$(bench_demo_folder "$build")
results=$(mktemp)
trap 'rm -f "$results"' EXIT
for round in $(seq 1 "$rounds"); do
    echo "round $round" >&2
    env -u DISPLAY "$build/bench/record_bench" "$demo" 120 "$seconds" 1 2>&1 | sed 's/^round 1:/headless:/' |
        tee -a "$results" >&2
    xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bench/record_bench" "$demo" 120 "$seconds" 1 2>&1 |
        sed 's/^round 1:/xvfb:/' | tee -a "$results" >&2
done
# Lines "headless: render+read-back 5.5 fps, render+read-back+encode 5.2 fps (+4%)".
awk -v seconds="$seconds" -f "$(dirname "$0")/median.awk" -f /dev/stdin "$results" <<'AWK'
    $1 == "headless:" || $1 == "xvfb:" { s = substr($1, 1, length($1) - 1); k = n[s]++; plain[s, k] = $3; encode[s, k] = $6 }
    END {
        if (!n["headless"] || !n["xvfb"]) { print "no results" > "/dev/stderr"; exit 1 }
        hp = median(plain, "headless"); xp = median(plain, "xvfb")
        he = median(encode, "headless"); xe = median(encode, "xvfb")
        printf "%d s of the flight at 1280x720, 30 fps, panels on; medians of %d launches each:\n", seconds, n["headless"]
        printf "                        headless   Xvfb   headless/Xvfb\n"
        printf "  render + read-back    %6.1f   %6.1f   %.2f\n", hp, xp, hp / xp
        printf "  ... + encode          %6.1f   %6.1f   %.2f   (frames/s; goal: headless at least as fast)\n", he, xe, he / xe
    }
AWK
