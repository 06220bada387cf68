# Sourced by tools/test and tools/run: starts an Xvfb of our own on a free display number.
start_own_xvfb() {
    local n
    for n in $(seq 90 130); do
        if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
            Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
            XVFB_PID=$!
            export DISPLAY=":$n"
            for _ in $(seq 50); do
                xdpyinfo >/dev/null 2>&1 && return 0
                kill -0 "$XVFB_PID" 2>/dev/null || break
                sleep 0.1
            done
        fi
    done
    echo "could not start Xvfb" >&2
    return 1
}
