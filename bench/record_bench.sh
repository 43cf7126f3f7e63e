#!/usr/bin/env bash
# Recording benchmark on the demo data set under Xvfb: 20 s of the flight at
# 1280 x 720, 30 fps, with the read-back alone and with encoding, in the same
# run. Usage: bench/record_bench.sh BUILD_DIR [ROUNDS]
set -euo pipefail
build=$(cd "${1:?usage: record_bench.sh BUILD_DIR [ROUNDS]}" && pwd)
rounds=${2:-3}
. "$(dirname "$0")/bench_demo.sh"
demo=$(bench_demo_folder "$build")
xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bench/record_bench" "$demo" 120 20 "$rounds"
