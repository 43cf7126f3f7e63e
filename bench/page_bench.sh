#!/usr/bin/env bash
# The demo flight's web page: the export's time (goal: a median of 3 s or
# less) and its size, then the page's frame in headless Chromium's software
# WebGL against the studio's own frame on llvmpipe, the same chase view at
# 300 s, 1280 x 1024, panels open (goal: the page no slower), launches of
# each in turn.
# The export's wall time depends on the machine's load; its CPU time is
# printed beside it.
# Usage: bench/page_bench.sh BUILD_DIR [RUNS]
set -euo pipefail
build=$(cd "${1:?usage: page_bench.sh BUILD_DIR [RUNS]}" && pwd)
runs=${2:-5}
here=$(cd "$(dirname "$0")" && pwd)
. "$here/bench_demo.sh"
demo=$(bench_demo_folder "$build")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
studio=$build/tools/studio/flightreplay-studio
for i in $(seq 1 "$runs"); do
    (cd "$demo" && env -u DISPLAY /usr/bin/time -f "export %e %U %S" -a -o "$work/export.txt" \
        "$studio" demo.log --export-page "$work/demo.html" > /dev/null)
done
cat > "$work/export.awk" <<'SUMMARY'
$1 == "export" { k = n["export"]++; wall["export", k] = $2 * 1000; cpu["export", k] = ($3 + $4) * 1000 }
END { printf "export of the demo flight's page, median of %d runs: %.0f ms (goal 3000 ms or less; %.0f ms of CPU), %.2f MB (goal 8 MB or less)\n",
             n["export"], median(wall, "export"), median(cpu, "export"), size / 1e6 }
SUMMARY
awk -f "$here/median.awk" -f "$work/export.awk" -v size="$(stat -c %s "$work/demo.html")" "$work/export.txt"
for i in $(seq 1 "$runs"); do
    python3 "$here/page_frame_bench.py" "$work/demo.html" 300 1280 1024 2>> "$work/frames.txt"
    xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bench/studio_bench" studio "$demo" 2>> "$work/frames.txt" > /dev/null
done
awk -f "$here/median.awk" -f "$here/compare_medians.awk" -v a=studio -v b=page -v aname="studio" -v bname="page" \
    -v what="chase, panels" -v framegoal=1.0 -v startgoal="-" "$work/frames.txt"
