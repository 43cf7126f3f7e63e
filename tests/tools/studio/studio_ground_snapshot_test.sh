#!/usr/bin/env bash
# The flat ground's lines at both ends of the scale, drawn without a display
# (EGL): a 40 cm quad chased from 5 m at 10 m above the ground and a glider
# chased 2 km above it. In the lower half of each picture (the ground around
# and below the aircraft) both line-coloured and plain ground pixels, and no
# line wider than a few pixels across (a magnified texture drew the kilometre
# line as a broad band edged with discs). Then the drop line: a recording's
# last frame (a snapshot without ffmpeg) with and without --no-drop-lines
# differs only in a thin column from the quad down to the picture's edge.
# Usage: studio_ground_snapshot_test.sh FLIGHTREPLAY_STUDIO MAKE_FLIGHT_FILES
set -euo pipefail
studio=$(realpath "$1")
make_files=$(realpath "$2")
work=$(mktemp -d)
keep=${KEEP_STUDIO_SHOTS:-}
trap '[ -n "$keep" ] && cp "$work"/*.png "$keep" 2>/dev/null; rm -rf "$work"' EXIT
mkdir "$work/data" "$work/empty"
"$make_files" "$work/data"
cd "$work/empty"
fail() { echo "$*" >&2; exit 1; }
width=640 height=400

shoot() {
    local out=$1
    shift
    env -u DISPLAY "$studio" --size ${width}x$height "$@" --snapshot "$work/$out.png" > /dev/null 2> "$work/$out.err" ||
        { cat "$work/$out.err" >&2; fail "$out: the studio failed"; }
}
shoot quad --model multicopter --time 30 "$work/data/quad.csv"
shoot soaring --time 120 "$work/data/soaring.igc"

# Over the lower half: the share of pixels on the way from the plain ground's
# colour to the lines' light grey (at least an eighth of the way), the share
# of plain ground, and the pixels of strong lines (a third of the way or
# more) whose run of line pixels is longer than 6 in each of four directions.
ground_measures() {
    convert "$1" -depth 8 txt:- | awk -F'[(),:]+' '
        BEGIN { fr = 112; fg = 122; fb = 104; dr = 232 - fr; dg = 235 - fg; db = 226 - fb
                dd = dr*dr + dg*dg + db*db; widest = 6 }
        NR == 1 { split($0, size, "[:,]"); w = size[2] + 0; h = size[3] + 0; top = int(h / 2); next }
        $2 >= top { r = $4 - fr; g = $5 - fg; b = $6 - fb
                    t = (r*dr + g*dg + b*db) / dd; if (t < 0) t = 0; if (t > 1) t = 1
                    er = r - t*dr; eg = g - t*dg; eb = b - t*db
                    near = er*er + eg*eg + eb*eb <= 14 * 14
                    kind[$2 * w + $1] = !near ? -1 : t >= 0.3 ? 2 : t >= 0.12 ? 1 : t < 0.05 ? 0 : -1 }
        function lit(x, y) { return x >= 0 && x < w && y >= top && y < h && kind[y * w + x] >= 1 }
        function run(x, y, sx, sy,   n, k) {
            n = 1
            for (k = 1; lit(x + k * sx, y + k * sy); k++) n++
            for (k = 1; lit(x - k * sx, y - k * sy); k++) n++
            return n }
        END {
            for (y = top; y < h; y++) for (x = 0; x < w; x++) {
                k = kind[y * w + x]
                if (k >= 1) lines++
                if (k == 0) plain++
                if (k != 2) continue
                m = run(x, y, 1, 0); v = run(x, y, 0, 1); if (v < m) m = v
                v = run(x, y, 1, 1); if (v < m) m = v; v = run(x, y, 1, -1); if (v < m) m = v
                if (m > widest) broad++ }
            area = w * (h - top)
            printf "%.3f %.3f %d\n", lines / area, plain / area, broad + 0 }'
}
for shot in quad soaring; do
    read -r lines plain broad <<< "$(ground_measures "$work/$shot.png")"
    echo "$shot: lower half $lines line pixels, $plain plain ground, $broad pixels in broad lines"
    awk -v l="$lines" -v p="$plain" 'BEGIN { exit !(l >= 0.03 && p >= 0.2) }' ||
        fail "$shot: no lines on the ground near the aircraft, or no plain ground between them"
    [ "$broad" -eq 0 ] || fail "$shot: lines broader than 6 pixels across"
done

# The quad flies east facing north: its track runs across the picture, and
# its drop line straight down from the middle.
if command -v ffmpeg > /dev/null; then
    for lines in on off; do
        option=()
        [ "$lines" = on ] || option=(--no-drop-lines)
        env -u DISPLAY "$studio" --size ${width}x$height --model multicopter --from 29 --to 31 --fps 10 --no-panels \
            "${option[@]}" --record "$work/drop-$lines.mp4" "$work/data/quad.csv" > /dev/null 2>&1 ||
            fail "recording with drop lines $lines failed"
        ffmpeg -loglevel error -sseof -0.2 -i "$work/drop-$lines.mp4" -update 1 -frames:v 1 "$work/drop-$lines.png"
    done
else
    shoot drop-on --model multicopter --time 31 "$work/data/quad.csv"
    shoot drop-off --model multicopter --time 31 --no-drop-lines "$work/data/quad.csv"
fi
read -r column elsewhere <<< "$(convert "$work/drop-on.png" "$work/drop-off.png" -compose difference -composite \
    -threshold 20% -depth 8 txt:- | awk -F'[(),:]+' -v mid=$((width / 2)) -v below=$((height * 6 / 10)) '
        NR > 1 && $4 > 0 { if ($1 >= mid - 6 && $1 <= mid + 6 && $2 >= below) rows[$2] = 1; else other++ }
        END { n = 0; for (y in rows) n++; print n, other + 0 }')"
echo "drop line: $column rows below the quad, $elsewhere other pixels changed"
[ "$column" -ge $((height * 4 / 10 - 10)) ] || fail "no drop line below the quad"
[ "$elsewhere" -le 40 ] || fail "the drop lines change more than the column below the quad"
echo "ground lines at 5 m and 2 km, and the drop line, as expected"
