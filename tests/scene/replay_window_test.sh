#!/usr/bin/env bash
# A whole replay under Xvfb with generated sky, model and tiles: the window
# opens, a screenshot shows the orange and purple sky texture, Escape ends
# the viewer and the exit status is 0.
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

# Share of the picture $1 within 40 per channel of the colour $2 $3 $4.
share() {
    convert "$1" -format %c histogram:info:- |
        awk -v r="$2" -v g="$3" -v b="$4" '
            { gsub(/[(),:]/, " "); n = $1 + 0; total += n
              dr = $2 - r; dg = $3 - g; db = $4 - b
              if (dr < 0) dr = -dr; if (dg < 0) dg = -dg; if (db < 0) db = -db
              if (dr <= 40 && dg <= 40 && db <= 40) hit += n }
            END { printf "%.4f\n", total ? hit / total : 0 }'
}
# Both sky colours on at least 3 % of the picture $1 each.
shows_sky() {
    awk -v o="$(share "$1" 255 128 0)" -v p="$(share "$1" 120 0 170)" 'BEGIN { exit !(o >= 0.03 && p >= 0.03) }'
}
# xvfb-run (a POSIX shell) does not pass exported functions on.
declare -f share shows_sky > "$work/checks.sh"

status=0
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    set -u
    . "$1"
    cd "$2"
    . ./checks.sh
    viewer_start "$3" flight.log out.txt err.txt || exit
    viewer_shot_until shot.png 60 shows_sky
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

orange=$(share "$work/shot.png" 255 128 0)
purple=$(share "$work/shot.png" 120 0 170)
echo "orange $orange purple $purple of the screen"
shows_sky "$work/shot.png" || { echo "the sky texture is not on screen" >&2; exit 1; }
echo "replay window showed the sky, closed on Escape, exit status 0"
