#!/usr/bin/env bash
# A recording plays in a browser's video element: headless Chromium (Debian's
# chromium) loads the MP4, seeks to two moments and draws each frame into a
# canvas; the frames must have the video's size, show the picture (not
# black) and differ (the aircraft moves over the terrain).
# Usage: browser_play_test.sh STUDIO DATA_FOLDER (with demo.log)
# Exit status 77 (skipped) when chromium is not installed.
set -euo pipefail
studio=$1
data=$2
width=320
height=240
if ! command -v chromium > /dev/null; then
    echo "skipped: chromium is not installed (Debian package chromium)"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$data" && env -u DISPLAY "$studio" demo.log --record "$work/clip.mp4" \
    --from 100 --to 106 --speed 2 --size ${width}x${height} > /dev/null 2> "$work/record.err") ||
    { cat "$work/record.err" >&2; exit 1; }
cat > "$work/page.html" <<'PAGE'
<!doctype html>
<html><body>
<video id="v" src="clip.mp4" muted playsinline preload="auto"></video>
<canvas id="c"></canvas>
<script>
const v = document.getElementById('v');
const c = document.getElementById('c');
function report(text) { console.log('RESULT ' + text); }
function frameAt(time) {
  return new Promise(resolve => {
    v.addEventListener('seeked', () => {
      c.width = v.videoWidth; c.height = v.videoHeight;
      const g = c.getContext('2d');
      g.drawImage(v, 0, 0);
      resolve(g.getImageData(0, 0, c.width, c.height).data);
    }, { once: true });
    v.currentTime = time;
  });
}
v.addEventListener('error', () => report('error code=' + (v.error && v.error.code)));
v.addEventListener('loadeddata', async () => {
  const a = await frameAt(v.duration * 0.1);
  const b = await frameAt(v.duration * 0.9);
  let sum = 0, differ = 0;
  for (let i = 0; i < a.length; i += 4) {
    sum += a[i] + a[i + 1] + a[i + 2];
    if (Math.abs(a[i] - b[i]) + Math.abs(a[i + 1] - b[i + 1]) + Math.abs(a[i + 2] - b[i + 2]) > 30) differ++;
  }
  const pixels = a.length / 4;
  report('readyState=' + v.readyState + ' size=' + v.videoWidth + 'x' + v.videoHeight +
         ' mean=' + (sum / pixels / 3).toFixed(1) + ' differ=' + (differ / pixels).toFixed(3));
});
</script>
</body></html>
PAGE
cd "$work"
# The page reports through the console; chromium runs until timeout ends it.
timeout 40 chromium --headless --no-sandbox --disable-gpu --disable-background-networking \
    --disable-component-update --disable-sync --no-first-run --user-data-dir="$work/profile" \
    --allow-file-access-from-files --enable-logging=stderr --v=0 "file://$work/page.html" > "$work/log.txt" 2>&1 || true
result=$(grep -o 'RESULT [^"]*' "$work/log.txt" | tail -1 || true)
echo "chromium: ${result:-no result}"
case "$result" in
    "RESULT readyState=4 size=${width}x${height} "*) ;;
    *) echo "the video did not play in chromium" >&2; exit 1 ;;
esac
awk -v r="$result" 'BEGIN {
    n = split(r, f, /[ =]/)
    for (i = 1; i < n; i++) v[f[i]] = f[i + 1]
    if (v["mean"] < 30) { print "the frames are black" > "/dev/stderr"; exit 1 }
    if (v["differ"] < 0.05) { print "the frames do not change" > "/dev/stderr"; exit 1 }
}'
echo "the video plays in chromium"
