#!/usr/bin/env bash
# The program opens a real window under Xvfb and draws in it, Escape ends
# the viewer, and the exit status is 0.
set -euo pipefail
program=$1
session=$(cd "$(dirname "$0")/../../scripts" && pwd)/viewer_session.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'gps_time,gps_curlat,gps_curlon,gps_curalt\n1,3300.0,2250.0,100\n2,3300.1,2250.1,120\n' > "$work/flight.log"

status=0
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    set -u
    . "$1"
    cd "$2"
    viewer_start "$3" flight.log out.txt err.txt || exit
    viewer_wait_drawn || { viewer_end; exit 5; }
    viewer_end
' _ "$session" "$work" "$program" || status=$?
if [ "$status" -ne 0 ]; then
    echo "exit status $status" >&2
    cat "$work/out.txt" "$work/err.txt" >&2 || true
    exit 1
fi
grep -q '^CI,CJ=82914 158379$' "$work/out.txt" || { echo "summary missing" >&2; cat "$work/out.txt" >&2; exit 1; }
echo "viewer opened, closed on Escape, exit status 0"
