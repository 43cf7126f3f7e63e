#!/usr/bin/env bash
# --export-page refusals: a folder that does not exist, a folder as the
# page, a flight that cannot be read. Each is one line on standard error
# naming the reason, exit status 2, and no page or temporary file left.
# Usage: page_export_errors_test.sh FLIGHTREPLAY_STUDIO MAKE_FLIGHT_FILES
set -euo pipefail
studio=$(realpath "$1")
make_files=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$make_files" "$work"
cd "$work"
printf 'not a flight\n' > broken.ulg
fail() { echo "FAIL: $*" >&2; exit 1; }
refused() {
    local what=$1 page=$2 expected=$3
    shift 3
    local status=0
    env -u DISPLAY "$studio" "$@" --export-page "$page" > out.txt 2> err.txt || status=$?
    [ "$status" = 2 ] || fail "$what: exit status $status, not 2"
    [ "$(wc -l < err.txt)" = 1 ] || { cat err.txt >&2; fail "$what: not one line on standard error"; }
    grep -q "^flightreplay-studio: .*$expected" err.txt || { cat err.txt >&2; fail "$what: the line does not say '$expected'"; }
    ! ls "$page" "$page.part" > /dev/null 2>&1 || fail "$what: a file was left at $page"
    echo "$what: $(cat err.txt)"
}
refused "a missing folder" "$work/nowhere/page.html" "No such file or directory" glider.igc
mkdir folder.html
refused "a folder as the page" "$work/folder.html" "is a folder" glider.igc
[ -d folder.html ] || fail "the folder was replaced"
refused "an unreadable flight" "$work/broken.html" "broken.ulg" broken.ulg
refused "a flight that is not there" "$work/gone.html" "missing.igc" missing.igc
echo "every refusal is one line, status 2 and no file"
