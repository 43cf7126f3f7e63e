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
