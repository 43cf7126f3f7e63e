#!/usr/bin/env bash
# Sixteen flights against one in the studio, in the same run: the demo
# flight made into 16 logs of 10,000 rows each (0.05 minutes of latitude
# apart), launches of the studio on one of them and on all sixteen in turn
# under Xvfb (chase view, panels open, clock playing), medians of launch to
# first frame and of the steady frame, and the ratios (goals: frame 1.5 or
# less, start-up 2 or less).
# Usage: bench/fleet_bench.sh BUILD_DIR [LAUNCHES]
set -euo pipefail
build=$(cd "${1:?usage: fleet_bench.sh BUILD_DIR [LAUNCHES]}" && pwd)
launches=${2:-5}
. "$(dirname "$0")/bench_demo.sh"
demo=$(bench_demo_folder "$build")
fleet=$(mktemp -d)
results=$(mktemp)
trap 'rm -rf "$fleet" "$results"' EXIT
"$build/bench/studio_bench" make-fleet "$demo" "$fleet"
for _ in $(seq 1 "$launches"); do
    for count in 1 16; do
        files=()
        for i in $(seq 1 "$count"); do files+=("$fleet/$(printf 'fleet%02d.log' "$i")"); done
        xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bench/studio_bench" flights "$demo" "${files[@]}" \
            2>> "$results" > /dev/null
    done
done
awk -f "$(dirname "$0")/median.awk" -f "$(dirname "$0")/compare_medians.awk" -v a=flights1 -v b=flights16 -v aname="1 flight" -v bname="16 flights" \
    -v what="chase, panels" -v framegoal=1.5 -v startgoal=2 "$results"
