#!/usr/bin/env bash
# The whole program on a generated tile set under Xvfb: the window opens, the
# camera is moved inside the sky sphere and tilted toward the ground, and the
# screenshot shows the tiles' magenta and cyan checker, colours that nothing
# else in the scene has. Escape ends the viewer with exit status 0.
set -euo pipefail
program=$1
make_tiles=$2
session=$(cd "$(dirname "$0")/../../scripts" && pwd)/viewer_session.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'gps_time,gps_curlat,gps_curlon,gps_curalt\n1,3300.0,2250.0,100\n2,3300.1,2250.1,120\n' > "$work/flight.log"
(cd "$work" && "$make_tiles" 82914 158379 > /dev/null)

cat > "$work/inside.sh" <<'INSIDE'
#!/usr/bin/env bash
set -u
cd "$1"
# Pixels of the picture $1 within 20 % of the colour $2.
colour_count() {
    convert "$1" -alpha off -fuzz 20% -fill black +opaque "$2" -fill white -opaque "$2" \
        -format '%[fx:round(mean*w*h)]' info:
}
# The tiles' checker on at least 65536 pixels in each of its two colours.
shows_checker() {
    [ "$(colour_count "$1" '#ff00ff')" -ge 65536 ] && [ "$(colour_count "$1" '#00ffff')" -ge 65536 ]
}
. "$3"
viewer_start "$2" flight.log out.txt err.txt || exit
window=$viewer_window
viewer_wait_drawn || { viewer_end; exit 5; }
# Tilt the trackball toward the ground; stop before releasing so that the
# drag is not thrown into a spin.
xdotool mousemove --window "$window" 640 300 mousedown 1
for y in 350 400 450 500 550 600; do
    xdotool mousemove --window "$window" 640 "$y"
    sleep 0.05
done
sleep 0.5
xdotool mouseup 1
# The default home view sees the sky sphere from outside; wheel in past it.
for _ in $(seq 1 25); do
    xdotool click --window "$window" 5
    sleep 0.05
done
viewer_shot_until shot.png 60 shows_checker
viewer_end
INSIDE
chmod +x "$work/inside.sh"

fail() {
    echo "$*" >&2
    [ -n "${FLIGHTREPLAY_KEEP_SHOT:-}" ] && cp "$work/shot.png" "$FLIGHTREPLAY_KEEP_SHOT" 2>/dev/null
    exit 1
}

status=0
xvfb-run -a -s "-screen 0 1280x1024x24" "$work/inside.sh" "$work" "$program" "$session" || status=$?
if [ "$status" -ne 0 ]; then
    cat "$work/out.txt" "$work/err.txt" >&2 || true
    fail "exit status $status"
fi
[ -n "${FLIGHTREPLAY_KEEP_SHOT:-}" ] && cp "$work/shot.png" "$FLIGHTREPLAY_KEEP_SHOT"

[ "$(grep -c '^img:' "$work/out.txt")" -eq 249 ] || fail "expected 249 img: lines"
! grep -q '^Not open egm' "$work/out.txt" || fail "elevation files not found"

# Pixels within 20 % of a pure tile colour; at least 5 % of the screen each.
count() {
    convert "$work/shot.png" -alpha off -fuzz 20% -fill black +opaque "$1" -fill white -opaque "$1" \
        -format '%[fx:round(mean*w*h)]' info:
}
[ -f "$work/shot.png" ] || fail "no screenshot"
magenta=$(count '#ff00ff')
cyan=$(count '#00ffff')
echo "magenta pixels: $magenta, cyan pixels: $cyan"
[ "$magenta" -ge 65536 ] && [ "$cyan" -ge 65536 ] || fail "the tiles' picture content is not on the screen"
echo "terrain tiles drawn with their pictures, exit status 0"
