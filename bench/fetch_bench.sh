#!/usr/bin/env bash
# Fetch benchmark: the demo area's 249 image tiles served as an XYZ tree by
# the test tile server on 127.0.0.1. With 50 ms added to every request, the
# wall time against requests x 50 ms / 4 (four requests always in flight;
# goal 1.2 or less); with no delay, against the local-folder import of the
# same tree by prep imagery (goal 1.5 or less); peak memory for 249 tiles
# and for 25, which should be about the same. Elevation files are in place
# already, so only imagery travels. Usage: bench/fetch_bench.sh BUILD_DIR [RUNS]
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
    rm -f "$work/port" "$work/count"
    python3 "$here/../tests/tools/prep/tile_server.py" "$work/tree" --port-file "$work/port" \
        --count-file "$work/count" --delay-ms "$1" &
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

median() { sort -n | awk '{ a[NR] = $1 } END { print (NR % 2 ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2) }'; }

fetch() {
    measure "$prep" fetch "$demo/demo.log" --dir "$work/out" --cache "$work/cache" \
        --imagery "http://127.0.0.1:$port/{z}/{x}/{y}.jpg"
}

: > "$work/delayed"; : > "$work/plain"; : > "$work/local"; : > "$work/few"
start_server 50
for _ in $(seq 1 "$runs"); do
    fresh_folder
    before=$(cat "$work/count" 2> /dev/null || echo 0)
    read -r seconds kb < <(fetch)
    requests=$(( $(cat "$work/count") - before ))
    echo "$seconds $kb $requests" >> "$work/delayed"
done
stop_server
start_server 0
for _ in $(seq 1 "$runs"); do
    fresh_folder
    fetch >> "$work/plain"
    # 25 tiles only, the others kept: the same peak memory if it is flat.
    rm -rf "$work/cache"
    ls "$work/out/img" | tail -n 25 | while read -r f; do rm "$work/out/img/$f"; done
    fetch >> "$work/few"
    fresh_folder
    measure "$prep" imagery "$demo/demo.log" "$work/tree" --dir "$work/out" >> "$work/local"
done
stop_server

delayed=$(cut -d' ' -f1 "$work/delayed" | median)
requests=$(cut -d' ' -f3 "$work/delayed" | median)
plain=$(cut -d' ' -f1 "$work/plain" | median)
local_import=$(cut -d' ' -f1 "$work/local" | median)
kb_all=$(cut -d' ' -f2 "$work/plain" | median)
kb_few=$(cut -d' ' -f2 "$work/few" | median)
awk -v d="$delayed" -v r="$requests" -v p="$plain" -v l="$local_import" -v a="$kb_all" -v f="$kb_few" -v n="$runs" 'BEGIN {
    ideal = r * 0.050 / 4
    printf "medians of %d runs, 249 tiles of the demo area\n", n
    printf "  50 ms per request: %.2f s for %d requests; ideal %.2f s; ratio %.2f (goal 1.2 or less)\n", d, r, ideal, d / ideal
    printf "  no delay: %.2f s; local-folder import %.2f s; ratio %.2f (goal 1.5 or less)\n", p, l, p / l
    printf "  peak memory: %.1f MB for 249 tiles, %.1f MB for 25\n", a / 1024, f / 1024
}'
