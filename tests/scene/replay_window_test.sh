#!/usr/bin/env bash
# A whole replay under Xvfb with generated sky, model and tiles: the window
# opens, a screenshot a few seconds later shows the orange and purple sky
# texture, Escape ends the viewer and the exit status is 0.
# Usage: replay_window_test.sh FLIGHTREPLAY MAKE_SCENE_FILES
set -euo pipefail
program=$(realpath "$1")
generator=$(realpath "$2")
session=$(cd "$(dirname "$0")/../../scripts" && pwd)/viewer_session.sh
work=$(mktemp -d)
keep=${KEEP_REPLAY_SHOT:-}
trap '[ -n "$keep" ] && cp "$work/shot.png" "$keep" 2>/dev/null; rm -rf "$work"' EXIT

awk 'BEGIN {
    print "gps_time,gps_curlat,gps_curlon,gps_curalt,gps_curheading,pyro_curroll,pyro_curpitch"
    for (i = 0; i < 40; i++)
        printf "%d,%.5f,%.5f,%d,%.3f,0.2,0.05\n", i, 3300 + i * 0.0015, 2250 + i * 0.0005, 120 + i, 1.2 + i * 0.01
}' > "$work/flight.log"
"$generator" "$work" "$work/flight.log" > "$work/generated.txt"
grep -qx '249 tiles' "$work/generated.txt" || { echo "generator: $(cat "$work/generated.txt")" >&2; exit 1; }

status=0
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    set -u
    . "$1"
    cd "$2"
    viewer_start "$3" flight.log out.txt err.txt || exit
    sleep 3
    import -window root shot.png
    viewer_end
' _ "$session" "$work" "$program" || status=$?
if [ "$status" -ne 0 ]; then
    echo "exit status $status" >&2
    cat "$work/out.txt" "$work/err.txt" >&2 || true
    exit 1
fi

# The model and every tile were there, so no loader complained.
if grep -q 'Not found model' "$work/out.txt"; then
    echo "the generated model was not read" >&2
    exit 1
fi
[ "$(grep -c '^img:' "$work/out.txt")" -eq 249 ] || { echo "terrain lines missing" >&2; exit 1; }

# Share of the screen within 40 per channel of each sky colour.
share() {
    convert "$work/shot.png" -format %c histogram:info:- |
        awk -v r="$1" -v g="$2" -v b="$3" '
            { gsub(/[(),:]/, " "); n = $1 + 0; total += n
              dr = $2 - r; dg = $3 - g; db = $4 - b
              if (dr < 0) dr = -dr; if (dg < 0) dg = -dg; if (db < 0) db = -db
              if (dr <= 40 && dg <= 40 && db <= 40) hit += n }
            END { printf "%.4f\n", total ? hit / total : 0 }'
}
orange=$(share 255 128 0)
purple=$(share 120 0 170)
echo "orange $orange purple $purple of the screen"
awk -v o="$orange" -v p="$purple" 'BEGIN { exit !(o >= 0.03 && p >= 0.03) }' ||
    { echo "the sky texture is not on screen" >&2; exit 1; }
echo "replay window showed the sky, closed on Escape, exit status 0"
