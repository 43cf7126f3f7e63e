#!/usr/bin/env bash
# Start-up benchmark on the demo data set: several launches of
# startup_bench under Xvfb, medians of each figure, and the ratio of launch
# to first frame over decoding the 249 tiles and the sky alone (goal: 1.3 or
# less). Usage: bench/startup_bench.sh BUILD_DIR [LAUNCHES]
set -euo pipefail
build=$(cd "${1:?usage: startup_bench.sh BUILD_DIR [LAUNCHES]}" && pwd)
launches=${2:-7}
. "$(dirname "$0")/bench_demo.sh"
demo=$(bench_demo_folder "$build")
results=$(mktemp)
trap 'rm -f "$results"' EXIT
for _ in $(seq 1 "$launches"); do
    xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bench/startup_bench" "$demo" 2>> "$results" > /dev/null
done
awk -v launches="$launches" '
    NF == 12 { for (i = 1; i <= 12; i++) v[i, n] = $i; n++ }
    function median(col,   i, j, t, a) {
        for (i = 0; i < n; i++) a[i] = v[col, i]
        for (i = 1; i < n; i++) for (j = i; j > 0 && a[j - 1] > a[j]; j--) { t = a[j]; a[j] = a[j - 1]; a[j - 1] = t }
        return n % 2 ? a[(n - 1) / 2] : (a[n / 2 - 1] + a[n / 2]) / 2
    }
    END {
        if (n == 0) { print "no results" > "/dev/stderr"; exit 1 }
        decode = median(3) + median(4)
        printf "medians of %d launches\n", n
        printf "  scan of demo.log          %8.1f ms\n", median(1)
        printf "  terrain build             %8.1f ms  (JPEG decoding of the 249 tiles alone %.1f ms, %.0f%%)\n", median(2), median(3), 100 * median(3) / median(2)
        printf "  sky decode / sky dome     %8.1f ms / %.1f ms\n", median(4), median(5)
        printf "  aircraft model            %8.1f ms\n", median(6)
        printf "  launch to first frame     %8.1f ms  (scene %.1f, realize %.1f, first draw with texture upload %.1f)\n", median(7), median(10), median(11), median(12)
        printf "  steady frame              %8.2f ms\n", median(8)
        printf "  peak memory               %8.1f MB\n", median(9) / 1024
        printf "  first frame / (tiles + sky decode) = %.2f (goal 1.3 or less)\n", median(7) / decode
    }' "$results"
