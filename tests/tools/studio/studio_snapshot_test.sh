#!/usr/bin/env bash
# Studio snapshots of the demo flight, drawn with no display at all (EGL):
# pictures of the requested size, different at two times and with two
# cameras, in chase view the aircraft (the pixels that change when the model
# file is missing) near the picture's centre, and the same picture under an
# X server (Xvfb) within 30 dB; with neither a display nor EGL one line and
# exit status 2, and so does the interactive studio without a display.
# Usage: studio_snapshot_test.sh FLIGHTREPLAY_STUDIO DEMO_DIR
set -euo pipefail
studio=$(realpath "$1")
demo=$(realpath "$2")
work=$(mktemp -d)
keep=${KEEP_STUDIO_SHOTS:-}
trap '[ -n "$keep" ] && cp "$work"/*.png "$keep" 2>/dev/null; rm -rf "$work"' EXIT
[ -f "$demo/demo.log" ] || { echo "no demo data in $demo" >&2; exit 1; }

# glvnd finds no EGL driver where its vendor list names none.
status=0
(cd "$demo" && env -u DISPLAY __EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent.json \
    "$studio" --time 10 --snapshot "$work/none.png" demo.log > /dev/null 2> "$work/nothing.txt") || status=$?
[ "$status" -eq 2 ] || { echo "without display and EGL: exit status $status, not 2" >&2; exit 1; }
[ "$(wc -l < "$work/nothing.txt")" -eq 1 ] || { echo "without display and EGL: not one line:" >&2; cat "$work/nothing.txt" >&2; exit 1; }
grep -q "EGL" "$work/nothing.txt" || { echo "the message does not say EGL is missing" >&2; exit 1; }
[ ! -e "$work/none.png" ] || { echo "a picture without display and EGL" >&2; exit 1; }

# The interactive studio needs a display and points to what does not.
status=0
(cd "$demo" && env -u DISPLAY "$studio" demo.log > /dev/null 2> "$work/window.txt") || status=$?
[ "$status" -eq 2 ] && [ "$(wc -l < "$work/window.txt")" -eq 1 ] && grep -q -- "--snapshot.*--record" "$work/window.txt" ||
    { echo "the window without a display: status $status, message:" >&2; cat "$work/window.txt" >&2; exit 1; }

# The same data set without the aircraft model.
mkdir "$work/nomodel"
for f in "$demo"/*; do
    [ "$(basename "$f")" = EasyStar ] || ln -s "$f" "$work/nomodel/"
done

snap() { (cd "$1" && env -u DISPLAY "$studio" --size 320x200 --time "$2" --camera "$3" --snapshot "$work/$4.png" demo.log > /dev/null); }
snap "$demo" 300 chase chase300
snap "$demo" 900 chase chase900
snap "$demo" 300 top top300
snap "$work/nomodel" 300 chase nomodel300
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c 'cd "$3" && "$1" --size 320x200 --time 300 --snapshot "$2/x300.png" demo.log > /dev/null' \
    _ "$studio" "$work" "$demo"

for shot in chase300 chase900 top300 nomodel300 x300; do
    [ -s "$work/$shot.png" ] || { echo "no picture $shot" >&2; exit 1; }
    [ "$(identify -format %wx%h "$work/$shot.png")" = 320x200 ] || { echo "$shot is not 320x200" >&2; exit 1; }
done
# compare exits 1 for pictures that differ and 2 when it cannot compare them.
differing() {
    local n status=0
    n=$(compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1) || status=$?
    [ "$status" -le 1 ] || { echo "cannot compare $1 and $2: $n" >&2; exit 1; }
    echo "$n"
}
[ "$(differing chase300 chase900)" -gt 1000 ] || { echo "chase at 300 s and 900 s look alike" >&2; exit 1; }
[ "$(differing chase300 top300)" -gt 1000 ] || { echo "chase and top-down at 300 s look alike" >&2; exit 1; }
psnr=$(compare -metric PSNR "$work/chase300.png" "$work/x300.png" null: 2>&1 || true)
echo "headless against Xvfb: $psnr dB"
awk -v p="$psnr" 'BEGIN { exit !(p == "inf" || p + 0 >= 30) }' ||
    { echo "headless and Xvfb pictures differ: PSNR $psnr dB" >&2; exit 1; }

# Centre of the pixels the model covers.
centre=$(compare -metric AE -fuzz 5% -highlight-color white -lowlight-color black \
        "$work/chase300.png" "$work/nomodel300.png" "$work/model.png" 2>/dev/null || true
    convert "$work/model.png" -colorspace gray -threshold 50% txt:- |
        awk -F'[,: ]+' 'NR > 1 && /#FFFFFF|white/ { n++; sx += $1; sy += $2 }
                        END { if (n) printf "%d %.1f %.1f\n", n, sx / n, sy / n; else print 0 }')
echo "model pixels, centre: $centre"
read -r n cx cy <<< "$centre"
awk -v n="$n" -v x="${cx:-0}" -v y="${cy:-0}" 'BEGIN { exit !(n > 200 && x > 128 && x < 192 && y > 70 && y < 130) }' ||
    { echo "the aircraft is not near the centre of the chase view" >&2; exit 1; }
echo "snapshots: sizes, times, cameras, the centred aircraft and the X server's picture as expected"
