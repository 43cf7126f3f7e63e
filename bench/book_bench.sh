#!/usr/bin/env bash
# The logbook's figures: a first run over the real sample ULogs and over a
# generated tree of 1,000 logs (every format, a tenth of them copies of the
# real ULogs; tests/tools/book/make_log_tree), each ROUNDS times into a
# fresh book: logs per second, MB per second and peak memory; the second
# run over the unchanged tree (goal: 5 % of the first or less); the tree
# read as one shard per year and the shards merged. Medians of the rounds.
# Usage: bench/book_bench.sh BUILD_DIR [ROUNDS] [JOBS]
set -euo pipefail
build=$(cd "${1:?usage: book_bench.sh BUILD_DIR [ROUNDS] [JOBS]}" && pwd)
rounds=${2:-3}
jobs=${3:-$(nproc)}
top=$(cd "$(dirname "$0")/.." && pwd)
book="$build/tools/book/flightreplay-book"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/tests/tools/book/make_log_tree" "$work/tree" 1000 "$top/tests/data/ulog"
cp -r "$top/tests/data/ulog" "$work/real"
cd "$work"

# "seconds peak-kB" of one command: wall time to the millisecond, peak
# memory from GNU time.
measure() {
    local start end
    start=$(date +%s%N)
    /usr/bin/time -f "%M" -o "$work/time" "$@" > "$work/out" 2> "$work/err" || { cat "$work/err" >&2; exit 1; }
    end=$(date +%s%N)
    echo "$(( (end - start) / 1000 )) $(cat "$work/time")" | awk '{ printf "%.3f %s\n", $1 / 1e6, $2 }'
}
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

for set in real tree; do
    files=$(find "$set" -type f | wc -l)
    mb=$(du -sb "$set" | awk '{ printf "%.1f", $1 / 1e6 }')
    : > first; : > memory; : > second
    for _ in $(seq 1 "$rounds"); do
        rm -f "$set.sqlite"
        read -r seconds kb < <(measure "$book" --db "$set.sqlite" --jobs "$jobs" "$set")
        echo "$seconds" >> first
        echo "$kb" >> memory
        read -r seconds kb < <(measure "$book" --db "$set.sqlite" --jobs "$jobs" "$set")
        echo "$seconds" >> second
    done
    first_s=$(median < first)
    second_s=$(median < second)
    awk -v set="$set" -v files="$files" -v mb="$mb" -v first="$first_s" -v second="$second_s" \
        -v kb="$(median < memory)" -v jobs="$jobs" 'BEGIN {
        printf "%-5s %5d files %7.1f MB, --jobs %d: first run %6.3f s (%6.1f logs/s, %6.1f MB/s, peak %5.0f MB); ",
            set, files, mb, jobs, first, files / first, mb / first, kb / 1024
        printf "second run %5.3f s (%4.1f %% of the first)\n", second, 100 * second / first }'
done

mkdir shards
: > shard; : > merge
for _ in $(seq 1 "$rounds"); do
    rm -f shards/*.sqlite merged.sqlite
    start=$(date +%s.%N)
    for year in tree/*; do
        "$book" --shard "shards/$(basename "$year").sqlite" --jobs "$jobs" "$year" > /dev/null
    done
    printf "%.2f\n" "$(echo "$(date +%s.%N) - $start" | bc)" >> shard
    read -r seconds kb < <(measure "$book" --merge merged.sqlite shards/*.sqlite)
    echo "$seconds" >> merge
done
echo "tree as $(ls shards | wc -l) shards one after another: $(median < shard) s; merged: $(median < merge) s ($(cat out))"
