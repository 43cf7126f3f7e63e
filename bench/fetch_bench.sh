#!/usr/bin/env bash
# Fetch benchmark: the demo area's 249 image tiles served as an XYZ tree by
# the test tile server on 127.0.0.1. With 50 ms added to every request, the
# wall time against requests x 50 ms / 4 (four requests always in flight;
# goal 1.2 or less); with no delay, against the local-folder import of the
# same tree by prep imagery (goal 1.5 or less); peak memory for 249 tiles
# and for 25, which should be about the same. Elevation files are in place
# already, so only imagery travels. Each delayed run is listed with its own
# ratio, and with the span from the first request to the last answer (from
# the server's log), which leaves out the program's start-up.
# Usage: bench/fetch_bench.sh BUILD_DIR [RUNS]
set -euo pipefail
build=$(cd "${1:?usage: fetch_bench.sh BUILD_DIR [RUNS]}" && pwd)
runs=${2:-3}
here=$(cd "$(dirname "$0")" && pwd)
. "$here/bench_demo.sh"
demo=$(bench_demo_folder "$build")
prep=$build/tools/prep/flightreplay-prep
work=$(mktemp -d)
server_pid=
cleanup() {
    [ -n "$server_pid" ] && kill "$server_pid" 2> /dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# The demo's tiles, "img/<letter>-<row>-<col>.jpg", as tree/<zoom>/<col>/<row>.jpg.
for tile in "$demo"/img/*.jpg; do
    name=$(basename "$tile" .jpg)
    IFS=- read -r letter row col <<< "$name"
    zoom=$(( $(printf '%d' "'$letter") - 97 ))
    mkdir -p "$work/tree/$zoom/$col"
    cp "$tile" "$work/tree/$zoom/$col/$row.jpg"
done

start_server() {
    rm -f "$work/port" "$work/requests"
    touch "$work/requests"
    python3 "$here/../tests/tools/prep/tile_server.py" "$work/tree" --port-file "$work/port" \
        --log "$work/requests" --delay-ms "$1" &
    server_pid=$!
    while [ ! -s "$work/port" ]; do sleep 0.05; done
    port=$(cat "$work/port")
}
stop_server() {
    kill "$server_pid"
    wait "$server_pid" 2> /dev/null || true
    server_pid=
}

# A data folder with the demo's elevation files, and the sky and aircraft.
fresh_folder() {
    rm -rf "$work/out" "$work/cache"
    mkdir -p "$work/out"
    cp "$demo"/*.egm "$work/out/"
    "$prep" --dir "$work/out" assets > /dev/null
}

# Prints "seconds peak-KB" of the command.
measure() {
    /usr/bin/time -f "%e %M" -o "$work/time" "$@" > "$work/log" 2>&1 || { cat "$work/log" >&2; exit 1; }
    cat "$work/time"
}

fetch() {
    measure "$prep" fetch "$demo/demo.log" --dir "$work/out" --cache "$work/cache" \
        --imagery "http://127.0.0.1:$port/{z}/{x}/{y}.jpg"
}

: > "$work/results"
start_server 50
for _ in $(seq 1 "$runs"); do
    fresh_folder
    before=$(wc -l < "$work/requests")
    read -r seconds kb < <(fetch)
    # The requests of this run: how many, and from the first to the last.
    read -r requests span < <(tail -n +"$((before + 1))" "$work/requests" |
        awk 'NR == 1 { first = $1 } { last = $1 } END { print NR, last - first }')
    echo "delayed $seconds $kb $requests $span" >> "$work/results"
done
stop_server
start_server 0
for _ in $(seq 1 "$runs"); do
    fresh_folder
    echo "plain $(fetch)" >> "$work/results"
    # 25 tiles only, the others kept: the same peak memory if it is flat.
    rm -rf "$work/cache"
    ls "$work/out/img" | tail -n 25 | while read -r f; do rm "$work/out/img/$f"; done
    echo "few $(fetch)" >> "$work/results"
    fresh_folder
    echo "local $(measure "$prep" imagery "$demo/demo.log" "$work/tree" --dir "$work/out")" >> "$work/results"
done
stop_server

# Lines "KIND SECONDS PEAK_KB [REQUESTS SPAN]"; the last answer comes 50 ms
# after the last request.
awk -v runs="$runs" -f "$here/median.awk" -f /dev/stdin "$work/results" <<'AWK'
    { k = n[$1]++; seconds[$1, k] = $2; kb[$1, k] = $3 }
    $1 == "delayed" {
        requests[$1, k] = $4; span[$1, k] = $5 + 0.050; ideal[$1, k] = $4 * 0.050 / 4
        ratio[$1, k] = $2 / ideal[$1, k]; spanRatio[$1, k] = span[$1, k] / ideal[$1, k]
        printf "  run %d, 50 ms per request: %.2f s, ratio %.2f; requests %.2f s, ratio %.2f\n", k + 1, $2, ratio[$1, k], span[$1, k], spanRatio[$1, k]
    }
    END {
        printf "medians of %d runs, 249 tiles of the demo area\n", runs
        printf "  50 ms per request: %.2f s for %d requests; ideal %.2f s; ratio %.2f (goal 1.2 or less)\n", \
            median(seconds, "delayed"), median(requests, "delayed"), median(ideal, "delayed"), median(ratio, "delayed")
        printf "    first request to last answer %.2f s, ratio %.2f\n", median(span, "delayed"), median(spanRatio, "delayed")
        p = median(seconds, "plain"); l = median(seconds, "local")
        printf "  no delay: %.2f s; local-folder import %.2f s; ratio %.2f (goal 1.5 or less)\n", p, l, p / l
        printf "  peak memory: %.1f MB for 249 tiles, %.1f MB for 25\n", median(kb, "plain") / 1024, median(kb, "few") / 1024
    }
AWK
