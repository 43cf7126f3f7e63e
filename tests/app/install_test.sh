#!/usr/bin/env bash
# Installs the build into a scratch prefix, runs the installed replay on a
# small log (no display: it prints the summary and exits 0), and builds the
# Debian packages, whose dependencies must name the OSG runtime, with a
# manual page for every program and no error from lintian (when given).
set -euo pipefail
build=$1
lintian=${2:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/prefix" > "$work/install.out"
for program in flightreplay flightreplay-demo-data; do
    [ -x "$work/prefix/bin/$program" ] || { echo "not installed: bin/$program"; exit 1; }
done
for file in vehicles/multicopter.ac vehicles/generic.ac sky12q-1024x512.jpeg; do
    [ -s "$work/prefix/share/flightreplay/$file" ] || { echo "not installed: share/flightreplay/$file"; exit 1; }
done

printf 'gps_time,gps_curlat,gps_curlon\n0,2880,690\n1,2880.5,690.5\n' > "$work/flight.log"
(cd "$work" && env -u DISPLAY "$work/prefix/bin/flightreplay" flight.log > replay.out 2> replay.err) || {
    echo "installed replay failed"; cat "$work/replay.err"; exit 1; }
grep -q '^lat(mn,mx)=(48.000000 48.008333)$' "$work/replay.out" || { echo "unexpected summary:"; head -5 "$work/replay.out"; exit 1; }

(cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work/deb" > cpack.out 2>&1) || {
    cat "$work/cpack.out"; exit 1; }
replay_deb=$(ls "$work"/deb/flightreplay_*.deb)
depends=$(dpkg-deb -f "$replay_deb" Depends)
case "$depends" in
    *libopenscenegraph161*) ;;
    *) echo "flightreplay.deb depends on: $depends"; exit 1 ;;
esac
contents=$(dpkg-deb -c "$replay_deb")
grep -q './usr/bin/flightreplay$' <<< "$contents" || { echo "no usr/bin/flightreplay in the package"; exit 1; }
grep -q './usr/share/flightreplay/vehicles/multicopter.ac$' <<< "$contents" || { echo "no vehicle models in the package"; exit 1; }
if [ -f "$build/tools/prep/flightreplay-prep" ]; then
    prep_deb=$(ls "$work"/deb/flightreplay-prep_*.deb)
    case "$(dpkg-deb -f "$prep_deb" Depends)" in
        *libgdal*) ;;
        *) echo "flightreplay-prep.deb does not depend on GDAL"; exit 1 ;;
    esac
fi
for deb in "$work"/deb/*.deb; do
    contents=$(dpkg-deb -c "$deb")
    for program in $(grep -o '\./usr/bin/[^ ]*$' <<< "$contents" | sed 's|.*/||'); do
        grep -q "./usr/share/man/man1/$program.1.gz$" <<< "$contents" || {
            echo "$(basename "$deb") has no manual page for $program"; exit 1; }
    done
    if [ -n "$lintian" ]; then
        "$lintian" --fail-on error --tag-display-limit 0 "$deb" > "$work/lintian.out" 2>&1 || {
            echo "lintian on $(basename "$deb"):"; cat "$work/lintian.out"; exit 1; }
    fi
done
echo "installed and packaged"
