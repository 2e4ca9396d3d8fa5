# Sourced by the demo scripts: a virtual desktop when there is no real one.

# Starts Xvfb on a free display, exports DISPLAY and sets XVFB_PID.
start_virtual_desktop() {
    local display_no=99
    while [[ -e /tmp/.X11-unix/X$display_no || -e /tmp/.X$display_no-lock ]]; do display_no=$((display_no + 1)); done
    Xvfb ":$display_no" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$display_no"
    for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
}

# Prints the id of the first window whose title holds $1, waiting up to 10 s; then lets it draw.
wait_for_window() {
    local window=""
    for _ in $(seq 100); do
        window=$(xdotool search --name "$1" 2>/dev/null | head -n1 || true)
        [[ -n "$window" ]] && break
        sleep 0.1
    done
    sleep 1
    echo "$window"
}
