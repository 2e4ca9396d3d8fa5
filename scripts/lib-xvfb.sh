# Sourced by the demo scripts: a virtual desktop when there is no real one.

# Starts Xvfb on a free display, exports DISPLAY and sets XVFB_PID. Xvfb picks
# the display itself (-displayfd): other virtual desktops may start at the same
# time. -noreset: by default the server resets when its last client leaves
# (our readiness probe), and refuses a program that connects meanwhile.
start_virtual_desktop() {
    local answer display_no=""
    answer=$(mktemp)
    Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp 3>"$answer" >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 100); do
        display_no=$(head -n1 "$answer")
        [[ -n "$display_no" ]] && break
        sleep 0.1
    done
    rm -f "$answer"
    [[ -n "$display_no" ]] || { echo "Xvfb did not start" >&2; return 1; }
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
