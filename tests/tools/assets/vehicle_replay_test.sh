#!/usr/bin/env bash
# `flightreplay-prep assets --vehicle multicopter` puts the quad where the
# plain replay reads its model: the replay under Xvfb, its trackball wheeled
# in toward a hovering flight, shows the quad's orange cover and red front
# arms. Without --vehicle prep writes the trainer, as before.
# Usage: vehicle_replay_test.sh FLIGHTREPLAY-PREP FLIGHTREPLAY TRAINER.ac QUAD.ac
set -euo pipefail
prep=$(realpath "$1")
program=$(realpath "$2")
trainer=$(realpath "$3")
quad=$(realpath "$4")
scripts=$(cd "$(dirname "$0")/../../../scripts" && pwd)
camera=$(cd "$(dirname "$0")/../../../tools/demo_data" && pwd)/demo_camera.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$work" && "$prep" assets > /dev/null)
cmp -s "$work/EasyStar/data/body.ac" "$trainer" || { echo "prep assets did not write the trainer" >&2; exit 1; }
if "$prep" --dir "$work" --vehicle bicycle assets 2> "$work/bad.txt"; then
    echo "an unknown vehicle was accepted" >&2; exit 1
fi
[ "$(wc -l < "$work/bad.txt")" -eq 1 ] || { echo "not one line: $(cat "$work/bad.txt")" >&2; exit 1; }
"$prep" --dir "$work" --force --vehicle multicopter assets > /dev/null
cmp -s "$work/EasyStar/data/body.ac" "$quad" || { echo "prep assets did not write the quad" >&2; exit 1; }

# Hovering 2 m south-east of the north-west corner of zoom-18 tile
# (90000, 140000), which is the scene's origin, where the trackball looks.
awk 'BEGIN {
    print "gps_time,gps_curlat,gps_curlon,gps_curalt,gps_curheading,pyro_curroll,pyro_curpitch"
    for (i = 0; i < 20; i++)
        printf "%d,%.5f,%.5f,1.0,0.0,0.0,0.0\n", i, 2941.40650 - (i % 2) * 0.00002, 735.64620 + (i % 2) * 0.00002
}' > "$work/hover.log"

# Wheel in, look down, then wheel in one step at a time (the trackball
# pushes on past the flight once it is close) and keep the best shot.
cat > "$work/inside.sh" <<'INSIDE'
set -u
. "$1/viewer_session.sh"
. "$2"
cd "$3"
colours() {
    convert "$1" -depth 8 -format %c histogram:info:- | awk '
        { gsub(/[(),:]/, " "); n = $1 + 0; r = $2; g = $3; b = $4
          if (r > 110 && g > 0.35 * r && g < 0.65 * r && b < 0.2 * r) orange += n
          if (r > 110 && g < 0.3 * r && b < 0.3 * r) red += n }
        END { print orange + 0, red + 0 }'
}
# Keeps the picture with the most orange. A wheel step has been drawn once
# the picture differs from the one before the step (or shows the quad).
best=0
step_drawn() {
    local orange red
    read -r orange red < <(colours "$1")
    if [ "$orange" -gt "$best" ]; then best=$orange; echo "$orange $red" > found.txt; cp "$1" best.png; fi
    [ "$orange" -ge 100 ] || [ "$(compare -metric AE "$1" before.png null: 2>&1)" != 0 ]
}
viewer_start "$4" hover.log out.txt err.txt || exit
viewer_wait_drawn || { viewer_end; exit 5; }
xdotool mousemove 640 512
demo_scroll_in 40
demo_drag 1 640 350 640 600
import -window root shot.png
for step in $(seq 1 20); do
    cp shot.png before.png
    demo_scroll_in 1
    viewer_shot_until shot.png 5 step_drawn
    [ "$best" -ge 100 ] && break
done
viewer_end
INSIDE

status=0
xvfb-run -a -s "-screen 0 1280x1024x24" bash "$work/inside.sh" "$scripts" "$camera" "$work" "$program" || status=$?
if [ "$status" -ne 0 ]; then
    echo "exit status $status" >&2
    cat "$work/err.txt" >&2 || true
    exit 1
fi
grep -q 'Not found model' "$work/out.txt" && { echo "the replay did not read the model" >&2; exit 1; }
[ -n "${KEEP_VEHICLE_SHOT:-}" ] && cp "$work/best.png" "$KEEP_VEHICLE_SHOT" 2>/dev/null
read -r orange red < "$work/found.txt" 2>/dev/null || { echo "no orange on any shot" >&2; exit 1; }
echo "quad on screen: $orange orange and $red red pixels"
[ "$orange" -ge 100 ] && [ "$red" -ge 50 ] || { echo "the quad is not on screen" >&2; exit 1; }
