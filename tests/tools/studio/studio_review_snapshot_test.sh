#!/usr/bin/env bash
# The review and the log's fields in the studio's pictures, drawn without a
# display (EGL), on generated DataFlash logs: with the panels, a flight with
# trouble has the Review panel's rows in amber and red and the findings'
# marks in both colours along the timeline, where a healthy flight has
# none; a track coloured by a field (--track-field) shows the ramp's low
# and high ends where a plain one shows neither; a field no flight has is
# refused in one line.
# Usage: studio_review_snapshot_test.sh FLIGHTREPLAY_STUDIO MAKE_FLIGHT_FILES
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
width=1200 height=750

shoot() {
    local out=$1
    shift
    env -u DISPLAY "$studio" --size ${width}x$height "$@" --snapshot "$work/$out.png" > /dev/null 2> "$work/$out.err" ||
        { cat "$work/$out.err" >&2; fail "$out: the studio failed"; }
}
# Pixels of picture $1 within the box $2 (x0 y0 x1 y1) near each colour
# "R G B" of the list $3..., one count a line.
pixels_near() {
    local picture=$1 box=$2
    shift 2
    convert "$picture" -depth 8 txt:- | awk -v box="$box" -v list="$*" -F'[(),:]+' '
        BEGIN { split(box, b, " "); n = split(list, c, " ") / 3 }
        NR > 1 && $1 >= b[1] && $1 < b[3] && $2 >= b[2] && $2 < b[4] {
            for (k = 0; k < n; k++) { dr = $4 - c[3*k+1]; dg = $5 - c[3*k+2]; db = $6 - c[3*k+3]
                                      if (dr * dr + dg * dg + db * db <= 30 * 30) hits[k]++ } }
        END { for (k = 0; k < n; k++) print hits[k] + 0 }'
}
AMBER="255 165 0" RED="230 30 30"
# The timeline along the bottom and the Review panel above its middle.
TIMELINE="10 $((height - 70)) $((width - 10)) $((height - 10))"
REVIEW="320 $((height - 330)) $((width - 320)) $((height - 110))"

for flight in trouble healthy; do
    shoot $flight --panels --time 45 "$work/data/$flight.bin"
    read -r -d '' timeline_amber timeline_red < <(pixels_near "$work/$flight.png" "$TIMELINE" $AMBER $RED) || true
    read -r -d '' review_amber review_red < <(pixels_near "$work/$flight.png" "$REVIEW" $AMBER $RED) || true
    echo "$flight: timeline $timeline_amber amber, $timeline_red red; Review panel $review_amber amber, $review_red red"
    if [ $flight = trouble ]; then
        [ "$timeline_amber" -ge 50 ] && [ "$timeline_red" -ge 50 ] || fail "$flight: no amber and red marks on the timeline"
        [ "$review_amber" -ge 50 ] && [ "$review_red" -ge 50 ] || fail "$flight: no amber and red rows in the Review panel"
    else
        [ "$timeline_amber" -le 5 ] && [ "$timeline_red" -le 5 ] || fail "$flight: marks on a healthy flight's timeline"
        [ "$review_amber" -le 5 ] && [ "$review_red" -le 5 ] || fail "$flight: findings listed for a healthy flight"
    fi
done

# The ramp's ends (rampColour at 0 and 1) over the scene seen from above.
LOW="38 77 255" HIGH="255 38 25"
SCENE="0 0 $width $height"
for colouring in field plain; do
    extra=()
    [ $colouring = field ] && extra=(--track-field VIBE.VibeZ)
    shoot $colouring --camera top-down --time 52 "${extra[@]}" "$work/data/trouble.bin"
    read -r -d '' low high < <(pixels_near "$work/$colouring.png" "$SCENE" $LOW $HIGH) || true
    echo "$colouring track: $low pixels of the ramp's low end, $high of its high end"
    if [ $colouring = field ]; then
        [ "$low" -ge 20 ] && [ "$high" -ge 5 ] || fail "the track coloured by VIBE.VibeZ lacks the ramp's ends"
    else
        [ "$low" -le 2 ] && [ "$high" -le 2 ] || fail "the plain track shows the ramp's colours"
    fi
done

set +e
env -u DISPLAY "$studio" --track-field NO.SUCH --snapshot "$work/none.png" "$work/data/trouble.bin" > /dev/null 2> "$work/refused.err"
status=$?
set -e
[ $status = 2 ] || fail "an unknown field: status $status"
[ "$(wc -l < "$work/refused.err")" = 1 ] && grep -q "^flightreplay-studio: --track-field NO.SUCH: no flight has a field of that name" "$work/refused.err" ||
    { cat "$work/refused.err" >&2; fail "an unknown field: not one line naming it"; }
[ ! -e "$work/none.png" ] || fail "an unknown field: a picture was written"
echo "studio review snapshots: ok"
