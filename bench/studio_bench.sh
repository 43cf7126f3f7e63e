#!/usr/bin/env bash
# The studio against the plain replay on the demo data set, in the same run:
# launches of each in turn under Xvfb, medians of launch to first frame and
# of the steady frame (studio: chase view, panels open, clock playing), and
# the ratios (goals: frame 1.5 or less, start-up 1.2 or less).
# Usage: bench/studio_bench.sh BUILD_DIR [LAUNCHES]
set -euo pipefail
build=$(cd "${1:?usage: studio_bench.sh BUILD_DIR [LAUNCHES]}" && pwd)
launches=${2:-7}
. "$(dirname "$0")/bench_demo.sh"
demo=$(bench_demo_folder "$build")
results=$(mktemp)
trap 'rm -f "$results"' EXIT
for _ in $(seq 1 "$launches"); do
    for mode in replay studio; do
        xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bench/studio_bench" "$mode" "$demo" 2>> "$results" > /dev/null
    done
done
awk -f "$(dirname "$0")/median.awk" -f "$(dirname "$0")/compare_medians.awk" -v a=replay -v b=studio -v aname="replay" -v bname="studio" \
    -v what="studio: chase, panels" -v framegoal=1.5 -v startgoal=1.2 "$results"
