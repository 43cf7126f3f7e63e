# Shell functions that drive the replay's viewer window on an X display
# (Xvfb in tests and on servers). Sourced by scripts/demo and the window tests.

# viewer_start PROGRAM LOG OUT ERR: starts the replay on LOG in the working
# directory, its output into OUT and ERR, and waits for its window, but not
# for a viewer that has already died. Sets viewer_pid and viewer_window;
# returns 3 when no window appeared.
viewer_start() {
    "$1" "$2" > "$3" 2> "$4" &
    viewer_pid=$!
    local found
    found=$(mktemp)
    timeout 60 xdotool search --sync --onlyvisible --class osgViewer > "$found" &
    local search=$!
    while kill -0 "$search" 2>/dev/null && kill -0 "$viewer_pid" 2>/dev/null; do
        sleep 0.1
    done
    kill -0 "$viewer_pid" 2>/dev/null || kill "$search" 2>/dev/null
    if ! wait "$search"; then
        echo "no viewer window appeared" >&2
        kill "$viewer_pid" 2>/dev/null
        rm -f "$found"
        return 3
    fi
    viewer_window=$(head -n 1 "$found")
    rm -f "$found"
}

# viewer_end: ends the viewer with Escape and returns its exit status, or 4
# when it has not ended 30 s later.
viewer_end() {
    xdotool key --window "$viewer_window" Escape
    local i
    for i in $(seq 1 300); do
        kill -0 "$viewer_pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$viewer_pid" 2>/dev/null; then
        echo "viewer did not end on Escape" >&2
        kill -9 "$viewer_pid"
        return 4
    fi
    wait "$viewer_pid"
}

# viewer_shot_until FILE SECONDS CHECK...: screenshots of the whole screen
# into FILE until CHECK... FILE succeeds, the viewer ends or SECONDS have
# passed; returns 6 in the last two cases, FILE holding the last screenshot.
# A renderer behind its input shows the result frames later, and how many
# depends on the machine's load.
viewer_shot_until() {
    local file=$1 seconds=$2
    shift 2
    local deadline=$((SECONDS + seconds))
    while :; do
        import -window root "$file" && "$@" "$file" && return 0
        [ "$SECONDS" -lt "$deadline" ] && kill -0 "$viewer_pid" 2>/dev/null || return 6
        sleep 0.2
    done
}

# viewer_share FILE COLOUR [FUZZ]: the share of FILE's pixels within FUZZ
# (default 1%) of COLOUR, between 0 and 1.
viewer_share() {
    convert "$1" -alpha off -fuzz "${3:-1%}" -fill black +opaque "$2" -fill white -opaque "$2" -format '%[fx:mean]' info:
}

# viewer_shows_clear_colour FILE: the viewer's clear colour (#333366), which
# every frame paints around the scene, covers at least 1 % of FILE.
viewer_shows_clear_colour() {
    awk -v s="$(viewer_share "$1" '#333366')" 'BEGIN { exit !(s >= 0.01) }'
}

# viewer_wait_drawn: waits until the viewer has drawn its first frame (60 s
# at most, status 5 then). The window appears before the first frame, which
# uploads every texture and can take seconds on a busy machine.
viewer_wait_drawn() {
    local shot status=0
    shot=$(mktemp --suffix=.png)
    viewer_shot_until "$shot" 60 viewer_shows_clear_colour || status=5
    rm -f "$shot"
    [ "$status" -eq 0 ] || echo "the viewer drew no frame within 60 s" >&2
    return "$status"
}
