#!/usr/bin/env bash
# A fleet in one batch, with no display: the guide's GNU parallel command
# renders three flights and a broken log in one folder, one job per core;
# the broken one is reported in the job log and its own output while the
# three others become complete videos, each job writing only its own files.
# Usage: fleet_batch_test.sh FLIGHTREPLAY_STUDIO DEMO_DIR
set -euo pipefail
studio=$(realpath "$1")
demo=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
[ -f "$demo/demo.log" ] || { echo "no demo data in $demo" >&2; exit 1; }

fleet="$work/fleet 2024"
mkdir "$fleet"
for f in "$demo"/*; do
    [ "$(basename "$f")" = demo.log ] || ln -s "$f" "$fleet/"
done
cp "$demo/demo.log" "$fleet/flight a.log"
head -n 3001 "$demo/demo.log" > "$fleet/flight-b.log"
{ head -n 1 "$demo/demo.log"; sed -n 2000,6000p "$demo/demo.log"; } > "$fleet/flight'c.log"
printf 'not a flight log\n\001\002\n' > "$fleet/broken.log"

cd "$fleet"
PATH="$(dirname "$studio"):$PATH"
render='flightreplay-studio {} --record {.}.mp4 --from 10 --to 12 --size 160x120 --force > {.}.txt 2>&1'
status=0
ls *.log | env -u DISPLAY parallel --jobs 100% --halt never --joblog batch.joblog "$render" || status=$?
[ "$status" -eq 1 ] || { echo "parallel: exit status $status, not 1 (one failed job)" >&2; cat batch.joblog >&2; exit 1; }

# The job log's seventh column is the exit status; the command is last.
failed=$(awk -F'\t' 'NR > 1 && $7 != 0 { print $7 }' batch.joblog)
[ "$failed" = 2 ] || { echo "failed jobs' statuses: '$failed', not one 2" >&2; cat batch.joblog >&2; exit 1; }
awk -F'\t' 'NR > 1 && $7 != 0' batch.joblog | grep -q broken.log || { echo "the failed job is not broken.log" >&2; exit 1; }
grep -q '^flightreplay-studio: ' broken.txt || { echo "broken.log's output says nothing" >&2; cat broken.txt >&2; exit 1; }
[ ! -e broken.mp4 ] && [ ! -e broken.mp4.part ] || { echo "a video of the broken log" >&2; exit 1; }

for flight in "flight a" flight-b "flight'c"; do
    frames=$(ffprobe -v error -select_streams v:0 -count_frames -show_entries stream=nb_read_frames,width \
        -of csv=p=0 "$flight.mp4")
    [ "$frames" = "160,60" ] || { echo "$flight.mp4: width,frames $frames, not 160,60" >&2; cat "$flight.txt" >&2; exit 1; }
done
[ -z "$(ls ./*.part 2>/dev/null)" ] || { echo "partial files left" >&2; exit 1; }
# Each job wrote its own video and output, nothing else.
produced=$(find . -type f -newer broken.log ! -name batch.joblog -printf '%f\n' | sort | tr '\n' '|')
[ "$produced" = "broken.txt|flight a.mp4|flight a.txt|flight'c.mp4|flight'c.txt|flight-b.mp4|flight-b.txt|" ] ||
    { echo "files written: $produced" >&2; exit 1; }
echo "batch: three videos, broken.log reported with status 2, each job only its own files"
