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
awk '
    NF == 3 && ($1 == "replay" || $1 == "studio") { first[$1, n[$1]] = $2; frame[$1, n[$1]] = $3; n[$1]++ }
    function median(a, mode,   i, j, t, v, k) {
        k = n[mode]
        for (i = 0; i < k; i++) v[i] = a[mode, i]
        for (i = 1; i < k; i++) for (j = i; j > 0 && v[j - 1] > v[j]; j--) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
        return k % 2 ? v[(k - 1) / 2] : (v[k / 2 - 1] + v[k / 2]) / 2
    }
    END {
        if (!n["replay"] || !n["studio"]) { print "no results" > "/dev/stderr"; exit 1 }
        rf = median(frame, "replay"); sf = median(frame, "studio")
        rs = median(first, "replay"); ss = median(first, "studio")
        printf "medians of %d + %d launches          replay     studio    ratio  goal\n", n["replay"], n["studio"]
        printf "  steady frame (studio: chase, panels) %7.2f ms %7.2f ms  %5.2f  <= 1.5\n", rf, sf, sf / rf
        printf "  launch to first frame                %7.1f ms %7.1f ms  %5.2f  <= 1.2\n", rs, ss, ss / rs
    }' "$results"
