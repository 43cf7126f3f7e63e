#!/bin/bash
# The demo flight exported as a Google Earth tour (KMZ: document, COLLADA
# model, zip) by flightreplay-convert, launch to finished file, ROUNDS times
# (7); prints the median wall-clock and CPU seconds of a launch.
# Usage: bench/kmz_bench.sh BUILD_DIR [ROUNDS]
set -euo pipefail
build=$(cd "$1" && pwd)
rounds=${2:-7}
. "$(dirname "$0")/bench_demo.sh"
demo=$(bench_demo_folder "$build")
convert="$build/tools/convert/flightreplay-convert"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

results="$out/results"
for ((i = 0; i < rounds; i++)); do
    start=$(date +%s%N)
    cpu=$( { TIMEFORMAT='%U %S'; time "$convert" --force "$demo/demo.log" "$out/demo.kmz" > /dev/null 2>&1; } 2>&1 )
    end=$(date +%s%N)
    echo "wall $(( (end - start) / 1000000 ))" >> "$results"
    echo "cpu $(echo "$cpu" | awk '{ printf "%d", ($1 + $2) * 1000 }')" >> "$results"
done
awk -f "$(dirname "$0")/median.awk" -f /dev/stdin "$results" <<'AWK'
{ values[$1, n[$1]++] = $2 }
END {
    printf "demo KMZ export, %d launches: median wall %.3f s, median CPU %.3f s (goal: within 1 s)\n",
        n["wall"], median(values, "wall") / 1000, median(values, "cpu") / 1000
}
AWK
ls -l "$out/demo.kmz" | awk '{ printf "KMZ size: %.1f kB\n", $5 / 1000 }'
