#!/usr/bin/env bash
# The studio's window under Xvfb on the demo flight, driven with xdotool:
# space pauses (the picture comes to rest) and resumes (it moves again), Home and the arrows seek and the aircraft's transform lands
# on the expected row, keys 1-5 switch the camera, Escape ends it with 0.
# Usage: studio_window_test.sh FLIGHTREPLAY_STUDIO DEMO_DIR
set -euo pipefail
studio=$(realpath "$1")
demo=$(realpath "$2")
session=$(cd "$(dirname "$0")/../../../scripts" && pwd)/viewer_session.sh
work=$(mktemp -d)
keep=${KEEP_STUDIO_SHOTS:-}
trap '[ -n "$keep" ] && cp "$work"/*.png "$keep" 2>/dev/null; rm -rf "$work"' EXIT
[ -f "$demo/demo.log" ] || { echo "no demo data in $demo" >&2; exit 1; }

# viewer_start runs PROGRAM LOG; the wrapper adds the trace.
printf '#!/bin/sh\nexec "%s" --trace "$@"\n' "$studio" > "$work/studio-trace"
chmod +x "$work/studio-trace"

status=0
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    set -u
    . "$1"
    work=$2
    cd "$3"
    viewer_start "$work/studio-trace" demo.log "$work/out.txt" "$work/err.txt" || exit
    traces() { grep -c "^trace" "$work/out.txt" || true; }
    # Each key writes one trace line once the studio has handled it.
    key() {
        local before
        before=$(traces)
        xdotool key --window "$viewer_window" "$@"
        for _ in $(seq 300); do [ "$(traces)" -gt "$before" ] && return; sleep 0.1; done
        echo "no trace line after key $*" >&2
        exit 1
    }
    shot() { import -window root "$work/$1.png" && [ -s "$work/$1.png" ] || { echo "no screenshot $1" >&2; exit 1; }; }
    same() { [ "$(compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1)" = 0 ]; }
    # The first frame writes the first trace line; on a busy machine it can
    # come seconds after the window.
    for _ in $(seq 600); do [ "$(traces)" -gt 0 ] && break; sleep 0.1; done
    [ "$(traces)" -gt 0 ] || { echo "no first frame" >&2; exit 1; }
    key space
    # Paused, the picture comes to rest once the panels have settled in.
    shot paused1
    for _ in $(seq 40); do
        sleep 0.5; shot paused2
        same paused1 paused2 && break
        cp "$work/paused2.png" "$work/paused1.png"
    done
    key space
    # Playing, it moves on.
    shot playing1
    for _ in $(seq 40); do
        sleep 0.5; shot playing2
        same playing1 playing2 || break
    done
    key space
    key Home
    key Right
    key Right
    key shift+Right
    key Left
    for k in 2 3 4 5 1; do key "$k"; done
    key bracketright
    key bracketleft
    key l
    viewer_end
' _ "$session" "$work" "$demo" "$studio" || status=$?
if [ "$status" -ne 0 ]; then
    echo "exit status $status" >&2
    cat "$work/err.txt" >&2 || true
    exit 1
fi
grep '^trace' "$work/out.txt" > "$work/trace.txt" || true
cat "$work/trace.txt"

# compare exits 1 for pictures that differ and 2 when it cannot compare them
# (a screenshot missing or unreadable), which must not pass for "differ".
differing() {
    local n status=0
    n=$(compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1) || status=$?
    [ "$status" -le 1 ] || { echo "cannot compare $1 and $2: $n" >&2; exit 1; }
    echo "$n"
}
paused=$(differing paused1 paused2)
playing=$(differing playing1 playing2)
[ "$paused" = 0 ] || { echo "paused, the picture still changed" >&2; exit 1; }
[ "$playing" != 0 ] || { echo "playing, the picture stood still" >&2; exit 1; }

# The trace line after each key: t, row, the aircraft transform's x y z,
# camera, paused, speed and loop.
field() { sed -n "$1p" "$work/trace.txt" | tr ' ' '\n' | sed -n "s/^$2=//p"; }
expect_field() {
    [ "$(field "$1" "$2")" = "$3" ] || { echo "trace line $1: $2 is $(field "$1" "$2"), not $3" >&2; exit 1; }
}
# Line 1 comes with the first frame; then space, space, space, Home, Right...
expect_field 4 paused 1
expect_field 5 t 0.000
expect_field 6 t 5.000
expect_field 7 t 10.000
expect_field 8 t 70.000
expect_field 9 t 65.000
i=10
for camera in cockpit orbit free top-down chase; do expect_field $i camera $camera; i=$((i + 1)); done
expect_field 15 speed 2
expect_field 16 speed 1
expect_field 17 loop 0

# At t = 65 s the demo log (5 rows a second from gps_time) is at row 325
# exactly, in the air: the transform must sit on that row's scene position.
expect_field 6 row 25
expect_field 9 row 325
read -r inverse_k < <(sed -n 's/^1\/k=\([0-9.]*\).*/\1/p' "$work/out.txt")
read -r ci cj < <(sed -n 's/^CI,CJ=\([0-9]*\) \([0-9]*\)$/\1 \2/p' "$work/out.txt")
expected=$(awk -F, -v ci="$ci" -v cj="$cj" -v ik="$inverse_k" '
    NR == 1 { for (i = 1; i <= NF; i++) col[$i] = i; next }
    NR == 327 {
        pi = 3.141592653589793
        s = sin($col["gps_curlat"] / 60 * pi / 180)
        x = (0.5 - log((1 + s) / (1 - s)) / (4 * pi)) * 262144 - ci
        y = (($col["gps_curlon"] / 60 + 180) / 360) * 262144 - cj
        printf "%.6f %.6f %.6f\n", x, y, $col["gps_curalt"] / ik
    }' "$demo/demo.log")
read -r ex ey ez <<< "$expected"
awk -v x="$(field 9 x)" -v y="$(field 9 y)" -v z="$(field 9 z)" -v ex="$ex" -v ey="$ey" -v ez="$ez" '
    function abs(v) { return v < 0 ? -v : v }
    BEGIN { exit !(abs(x - ex) < 1e-3 && abs(y - ey) < 1e-3 && abs(z - ez) < 1e-3) }' ||
    { echo "at t=65 the aircraft is at $(field 9 x) $(field 9 y) $(field 9 z), row 325 is at $expected" >&2; exit 1; }
echo "studio window paused, resumed, seeked onto row 325, switched cameras and closed on Escape"
