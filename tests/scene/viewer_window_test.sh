#!/usr/bin/env bash
# The program opens a real window under Xvfb, Escape ends the viewer, and the
# exit status is 0.
set -euo pipefail
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'gps_time,gps_curlat,gps_curlon,gps_curalt\n1,3300.0,2250.0,100\n2,3300.1,2250.1,120\n' > "$work/flight.log"

cat > "$work/inside.sh" <<'INSIDE'
#!/usr/bin/env bash
set -u
cd "$1"
"$2" flight.log > out.txt 2> err.txt &
pid=$!
if ! timeout 60 xdotool search --sync --onlyvisible --class osgViewer > window.txt; then
    echo "no viewer window appeared" >&2
    kill "$pid" 2>/dev/null
    exit 3
fi
sleep 1
xdotool key --window "$(head -n 1 window.txt)" Escape
for _ in $(seq 1 300); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
    echo "viewer did not end on Escape" >&2
    kill -9 "$pid"
    exit 4
fi
wait "$pid"
INSIDE
chmod +x "$work/inside.sh"

status=0
xvfb-run -a -s "-screen 0 1280x1024x24" "$work/inside.sh" "$work" "$program" || status=$?
if [ "$status" -ne 0 ]; then
    echo "exit status $status" >&2
    cat "$work/out.txt" "$work/err.txt" >&2 || true
    exit 1
fi
grep -q '^CI,CJ=82914 158379$' "$work/out.txt" || { echo "summary missing" >&2; cat "$work/out.txt" >&2; exit 1; }
echo "viewer opened, closed on Escape, exit status 0"
