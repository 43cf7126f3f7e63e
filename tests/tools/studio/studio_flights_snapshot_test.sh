#!/usr/bin/env bash
# The studio on raw logs in a folder without prepared data, under Xvfb:
# each real ULog sample and generated DataFlash, IGC and GPX flights open
# directly, draw the flat grid ground and the model of their vehicle, and the
# console says once per kind what is missing instead of a line per file.
# Then several flights at once: snapshots of two and of sixteen show every
# flight in its colour, and a flight without a date under --align utc is
# refused with one line naming it. A ground station's log opens as one
# flight per vehicle, with the wind at the aircraft.
# Usage: studio_flights_snapshot_test.sh FLIGHTREPLAY_STUDIO MAKE_FLIGHT_FILES ULOG_DIR...
set -euo pipefail
studio=$(realpath "$1")
make_files=$(realpath "$2")
shift 2
work=$(mktemp -d)
keep=${KEEP_STUDIO_SHOTS:-}
trap '[ -n "$keep" ] && cp "$work"/*.png "$keep" 2>/dev/null; rm -rf "$work"' EXIT
mkdir "$work/data" "$work/empty"
"$make_files" "$work/data"
ulogs=()
for dir in "$@"; do
    for f in "$dir"/*.ulg; do [ -f "$f" ] && ulogs+=("$f"); done
    [ ${#ulogs[@]} -gt 0 ] && break
done
[ ${#ulogs[@]} -gt 0 ] || echo "no real ULog samples in $*: only generated flights"

fail() { echo "$*" >&2; exit 1; }
# For each colour "R G B" of the list $3..., the pixels of picture $1 within
# distance $2 of it, one count a line.
pixels_near() {
    local picture=$1 distance=$2
    shift 2
    [ -f "$picture.txt" ] || convert "$picture" -depth 8 txt:- > "$picture.txt"
    awk -v d="$distance" -v list="$*" -F'[(),]+' '
        BEGIN { n = split(list, c, " ") / 3 }
        NR > 1 { for (k = 0; k < n; k++) { dr = $3 - c[3*k+1]; dg = $4 - c[3*k+2]; db = $5 - c[3*k+3];
                                           if (dr * dr + dg * dg + db * db <= d * d) hits[k]++ } }
        END { for (k = 0; k < n; k++) print hits[k] + 0 }' "$picture.txt"
}

# One X server for all the pictures; each run's output and status go to files.
cat > "$work/shots.sh" <<'SHOTS'
studio=$1 work=$2
shift 2
cd "$work/empty"
i=0
for flight in "$@"; do
    i=$((i + 1))
    "$studio" --size 320x200 --time 2 --snapshot "$work/raw$i.png" "$flight" > "$work/out$i.txt" 2> "$work/err$i.txt"
    echo $? > "$work/status$i.txt"
done
fleet=("$work"/data/fleet*.gpx)
for count in 2 16; do
    "$studio" --size 480x320 --time 40 --camera top-down --snapshot "$work/fleet$count.png" "${fleet[@]:0:$count}" \
        > /dev/null 2> "$work/fleet_err$count.txt"
    echo $? > "$work/fleet_status$count.txt"
done
for t in 15 19; do
    "$studio" --size 480x320 --time $t --camera chase --snapshot "$work/tlog$t.png" "$work/data/telemetry.tlog" \
        > "$work/tlog_out$t.txt" 2> "$work/tlog_err$t.txt"
    echo $? > "$work/tlog_status$t.txt"
done
"$studio" --align utc --snapshot "$work/none.png" "$work/data/track.gpx" "$work/data/undated.csv" \
    > /dev/null 2> "$work/refused.txt"
echo $? > "$work/refused_status.txt"
SHOTS
flights=("${ulogs[@]}" "$work/data/dataflash.bin" "$work/data/glider.igc" "$work/data/track.gpx")
xvfb-run -a -s "-screen 0 1280x1024x24" bash "$work/shots.sh" "$studio" "$work" "${flights[@]}"

i=0
for flight in "${flights[@]}"; do
    i=$((i + 1))
    shot="$work/raw$i.png"
    [ "$(cat "$work/status$i.txt")" = 0 ] || { cat "$work/err$i.txt" >&2; fail "$flight: exit status $(cat "$work/status$i.txt")"; }
    [ "$(grep -c '^no terrain for this flight' "$work/out$i.txt")" = 1 ] ||
        { cat "$work/out$i.txt" >&2; fail "$flight: not one line on the missing terrain"; }
    ! grep -q "^img:\|^Not open\|^Not found" "$work/out$i.txt" || fail "$flight: lines per missing file"
    ! grep -q "Error reading\|not found" "$work/err$i.txt" || { cat "$work/err$i.txt" >&2; fail "$flight: reader lines"; }
    # The grid ground (its grey-green between the lines), and the built-in
    # model of the flight's vehicle: what is neither ground, a blend of it
    # with the white lines and track, nor sky.
    ground=$(pixels_near "$shot" 30 "112 122 104")
    model=$(convert "$shot" -depth 8 txt:- | awk -F'[(),]+' '
        BEGIN { gr = 112; gg = 122; gb = 104; dr = 255 - gr; dg = 255 - gg; db = 255 - gb; dd = dr*dr + dg*dg + db*db }
        NR > 1 { r = $3 - gr; g = $4 - gg; b = $5 - gb
                 t = (r*dr + g*dg + b*db) / dd; if (t < 0) t = 0; if (t > 1) t = 1
                 er = r - t*dr; eg = g - t*dg; eb = b - t*db
                 if (er*er + eg*eg + eb*eb > 1600 && !($5 > $3 + 40)) n++ }
        END { print n + 0 }')
    case $(basename "$flight") in
        sample_log_small.ulg) type=vtol ;;
        sample_px4_events.ulg) type=multicopter ;;
        dataflash.bin) type=fixed-wing ;;
        glider.igc) type=glider ;;
        *) type=generic ;;
    esac
    echo "$(basename "$flight"): ground $ground pixels, $type model $model pixels"
    [ "$ground" -gt 3000 ] || fail "$flight: no flat grid ground"
    grep -q "the built-in $type model" "$work/out$i.txt" "$work/err$i.txt" || fail "$flight: not the $type model"
    [ "$model" -gt 3 ] || fail "$flight: no aircraft"
done

# Several flights: the palette's colours (tracks, labels and markers).
colours=("230 25 75" "60 180 75" "255 225 25" "0 130 200" "245 130 48" "145 30 180" "70 240 240" "240 50 230"
         "210 245 60" "250 190 212" "0 128 128" "220 190 255" "170 110 40" "255 250 200" "128 0 0" "170 255 195")
for count in 2 16; do
    [ "$(cat "$work/fleet_status$count.txt")" = 0 ] || { cat "$work/fleet_err$count.txt" >&2; fail "$count flights failed"; }
    mapfile -t counts < <(pixels_near "$work/fleet$count.png" 12 "${colours[@]:0:$count}")
    for ((k = 0; k < count; k++)); do
        [ "${counts[$k]}" -gt 15 ] ||
            fail "$count flights: flight $((k + 1)) not seen in its colour (${colours[$k]}: ${counts[$k]} pixels)"
    done
    echo "$count flights: every one in its colour"
done

# A ground station's log of two vehicles: both flights in their colours,
# the wind arrow at the aircraft, hidden while the link is lost (studio time
# 16.9 s to 22.0 s: the quad's radio is silent from 19.9 s to 25 s after its
# first fix at 3 s).
for t in 15 19; do
    [ "$(cat "$work/tlog_status$t.txt")" = 0 ] || { cat "$work/tlog_err$t.txt" >&2; fail "telemetry.tlog: exit status"; }
    [ ! -s "$work/tlog_err$t.txt" ] || { cat "$work/tlog_err$t.txt" >&2; fail "telemetry.tlog: notes on an intact log"; }
done
mapfile -t counts < <(pixels_near "$work/tlog15.png" 12 "230 25 75" "60 180 75" "120 255 61")
echo "telemetry.tlog at 15 s: quad track ${counts[0]}, rover ${counts[1]}, wind arrow ${counts[2]} pixels"
[ "${counts[0]}" -gt 15 ] && [ "${counts[1]}" -gt 15 ] || fail "telemetry.tlog: not both vehicles in their colours"
[ "${counts[2]}" -gt 30 ] || fail "telemetry.tlog: no wind arrow"
lost=$(pixels_near "$work/tlog19.png" 12 "120 255 61")
echo "telemetry.tlog at 19 s, link lost: wind arrow $lost pixels"
[ "$lost" -lt 5 ] || fail "telemetry.tlog: the wind arrow shown while the link is lost"

[ "$(cat "$work/refused_status.txt")" = 2 ] || fail "an undated flight under --align utc: exit status $(cat "$work/refused_status.txt")"
[ "$(wc -l < "$work/refused.txt")" = 1 ] && grep -q "undated.csv" "$work/refused.txt" ||
    { cat "$work/refused.txt" >&2; fail "the refusal is not one line naming the flight"; }
[ ! -e "$work/none.png" ] || fail "a picture despite the refusal"
echo "raw logs, flat ground, summary lines, colours and the refusal as expected"
