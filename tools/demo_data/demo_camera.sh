# Shell functions that move the viewer's default trackball from its home
# position (outside the sky sphere, looking east at the scene origin 500 m
# under the ground) to a view of the demo flight over the airfield.
# Sourced by scripts/demo and the demo's window test; needs xdotool and an X
# display with the viewer's window in it (1280 x 1024).

# Press, move in small steps, rest, release: the trackball is not thrown.
demo_drag() {
    local button=$1 x0=$2 y0=$3 x1=$4 y1=$5 i
    xdotool mousemove "$x0" "$y0"; sleep 0.1
    xdotool mousedown "$button"; sleep 0.1
    for i in $(seq 1 20); do
        xdotool mousemove $((x0 + (x1 - x0) * i / 20)) $((y0 + (y1 - y0) * i / 20)); sleep 0.03
    done
    sleep 0.4
    xdotool mouseup "$button"; sleep 0.2
}

demo_scroll_in() {
    local i
    for i in $(seq 1 "$1"); do xdotool click 5; sleep 0.03; done
}

# Zoom in to the nearest distance, lift the centre onto the flight (middle
# drag) and look down at the airfield (left drag), then come a little closer.
demo_camera_moves() {
    xdotool mousemove 640 512
    demo_scroll_in 40
    demo_drag 2 640 250 640 750
    demo_drag 1 640 350 640 540
    demo_scroll_in 7
}
