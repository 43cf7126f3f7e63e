#!/usr/bin/env bash
# The studio with a big plan's overlay shown against hidden, in the same
# run: a survey mission of 700 items in a fence of 100 vertices flown over
# the demo data set (its terrain reports, camera shots, 14,800 fixes),
# launches of the studio under Xvfb (chase view, panels open, clock
# playing) that hide and show the overlay in turn, 6 frames at a time;
# medians of the steady frame each way and their ratio (goal: 1.1 or less).
# Both share a launch, so the first frame is the same for both.
# Usage: bench/plan_bench.sh BUILD_DIR [LAUNCHES]
set -euo pipefail
build=$(cd "${1:?usage: plan_bench.sh BUILD_DIR [LAUNCHES]}" && pwd)
launches=${2:-7}
. "$(dirname "$0")/bench_demo.sh"
demo=$(bench_demo_folder "$build")
flights=$(mktemp -d)
results=$(mktemp)
trap 'rm -rf "$flights" "$results"' EXIT
"$build/bench/studio_bench" make-plan "$demo" "$flights/survey.bin" 700 100
for _ in $(seq 1 "$launches"); do
    xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bench/studio_bench" plan "$demo" "$flights/survey.bin" \
        2>> "$results" > /dev/null
done
awk -f "$(dirname "$0")/median.awk" -f /dev/stdin "$results" <<'AWK'
NF == 3 && ($1 == "plan-off" || $1 == "plan-on") { k = n[$1] + 0; frame[$1, k] = $3; n[$1] = k + 1 }
END {
    if (!n["plan-off"] || !n["plan-on"]) { print "no results" > "/dev/stderr"; exit 1 }
    off = median(frame, "plan-off"); on = median(frame, "plan-on")
    printf "medians of %d launches              hidden      shown  ratio  goal\n", n["plan-on"]
    printf "  steady frame (chase, panels)  %7.2f ms %7.2f ms  %5.2f  <= 1.1\n", off, on, on / off
}
AWK
