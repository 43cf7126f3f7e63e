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
awk '
    NF == 3 && ($1 == "flights1" || $1 == "flights16") { first[$1, n[$1]] = $2; frame[$1, n[$1]] = $3; n[$1]++ }
    function median(a, mode,   i, j, t, v, k) {
        k = n[mode]
        for (i = 0; i < k; i++) v[i] = a[mode, i]
        for (i = 1; i < k; i++) for (j = i; j > 0 && v[j - 1] > v[j]; j--) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
        return k % 2 ? v[(k - 1) / 2] : (v[k / 2 - 1] + v[k / 2]) / 2
    }
    END {
        if (!n["flights1"] || !n["flights16"]) { print "no results" > "/dev/stderr"; exit 1 }
        of = median(frame, "flights1"); sf = median(frame, "flights16")
        os = median(first, "flights1"); ss = median(first, "flights16")
        printf "medians of %d + %d launches       1 flight  16 flights  ratio  goal\n", n["flights1"], n["flights16"]
        printf "  steady frame (chase, panels)  %7.2f ms  %7.2f ms  %5.2f  <= 1.5\n", of, sf, sf / of
        printf "  launch to first frame         %7.1f ms  %7.1f ms  %5.2f  <= 2\n", os, ss, ss / os
    }' "$results"
