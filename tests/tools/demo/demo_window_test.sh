#!/usr/bin/env bash
# End to end: the replay of the demo flight under Xvfb, the camera moved in
# as scripts/demo does it, and the screenshot checked for the colours of the
# demo's imagery: fields, woods, the runway's asphalt and the white track.
set -euo pipefail
program=$1
demo=$2
camera=$3
session=$(cd "$(dirname "$0")/../../../scripts" && pwd)/viewer_session.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Share of pixels (in thousandths) in each colour class of the demo imagery
# in the picture $1; fails unless each class has its share.
demo_colours() {
    convert "$1" -sample 640x512\! -depth 8 txt:- | awk -F'[(),]+' '
        NR > 1 {
            r = $3; g = $4; b = $5; n++
            if (g > r + 12 && g > b + 35 && g > 70) green++
            if (r > g + 8 && g > b + 8 && r > 80 && r < 190) brown++
            if (r > 150 && g > 130 && b < 120) yellow++
            if (r > 55 && r < 120 && (r - b) * (r - b) < 64 && (r - g) * (r - g) < 64) asphalt++
            if (r > 225 && g > 225 && b > 225) white++
        }
        END {
            printf "green %d brown %d yellow %d asphalt %d white %d\n", 1000 * green / n, 1000 * brown / n, 1000 * yellow / n, 1000 * asphalt / n, 1000 * white / n
            ok = green / n > 0.25 && brown / n > 0.02 && yellow / n > 0.01 && asphalt / n > 0.005 && white / n > 0.002
            exit ok ? 0 : 1
        }'
}
# xvfb-run (a POSIX shell) does not pass exported functions on.
declare -f demo_colours > "$work/checks.sh"

cat > "$work/inside.sh" <<'INSIDE'
#!/usr/bin/env bash
set -u
. "$4"
cd "$2"
. "$5"
. "$3/checks.sh"
viewer_start "$1" demo.log "$3/out.txt" "$3/err.txt" || exit
viewer_wait_drawn || { viewer_end; exit 5; }
demo_camera_moves
viewer_shot_until "$3/shot.png" 60 demo_colours > /dev/null
viewer_end
INSIDE
chmod +x "$work/inside.sh"

status=0
xvfb-run -a -s "-screen 0 1280x1024x24" "$work/inside.sh" "$program" "$demo" "$work" "$camera" "$session" || status=$?
if [ "$status" -ne 0 ]; then
    echo "exit status $status" >&2
    cat "$work/out.txt" "$work/err.txt" >&2 || true
    exit 1
fi

demo_colours "$work/shot.png" || { echo "the screenshot lacks the demo imagery's colours" >&2; exit 1; }
echo "demo replay shows fields, runway and track"
