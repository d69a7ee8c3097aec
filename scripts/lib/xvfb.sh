# Sourced by the main job and the Wine tests: a virtual display of their own.
#
# start_xvfb [LOG]: starts Xvfb on the first free display from :91 on, in a session of its own,
# and exports DISPLAY once the server accepts connections. Wine's desktop keeps the display it
# found when its session came up, so the server must be ready before the first Wine program
# starts; on a busy machine that can take a while. Sets xvfb_pid; answers 1 when no display
# could be started.
start_xvfb() {
    local log=${1:-/dev/null} n
    for n in $(seq 91 140); do
        { [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; } && continue
        setsid Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$log" 2>&1 &
        xvfb_pid=$!
        for _ in $(seq 300); do
            [ -e "/tmp/.X11-unix/X$n" ] && break
            kill -0 "$xvfb_pid" 2>/dev/null || break
            sleep 0.1
        done
        if kill -0 "$xvfb_pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
            export DISPLAY=":$n"
            return 0
        fi
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
        xvfb_pid=""
    done
    return 1
}
