# Sourced by the tools that start orlenta under Xvfb: a scratch folder with a
# private home (never the user's own), a free display, and everything started
# stopped again on exit.
#   . "$ROOT/tools/xvfb-session.sh"
#   private_home [runtime-folder]    # HOME, XDG_* in $WORK; default runtime $WORK/runtime
#   start_xvfb WIDTHxHEIGHT          # exports DISPLAY once the server answers
# Add a started process with PIDS="$PIDS $!"; extra paths to remove to CLEAN.
WORK=$(mktemp -d)
PIDS=""
CLEAN=""
session_cleanup() {
    for pid in $PIDS; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$WORK" $CLEAN
}
trap session_cleanup EXIT INT TERM

private_home() {
    export HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/home/.config" XDG_DATA_HOME="$WORK/home/.local/share"
    export XDG_RUNTIME_DIR="${1:-$WORK/runtime}"
    mkdir -p "$HOME/Documents/FennickTallowBay" "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME/orlenta"
    chmod 700 "$XDG_RUNTIME_DIR"
}

start_xvfb() {
    n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    export DISPLAY=":$n"
    Xvfb "$DISPLAY" -screen 0 "${1}x24" -nolisten tcp >/dev/null 2>&1 &
    PIDS="$PIDS $!"
    i=0
    until xdpyinfo >/dev/null 2>&1; do
        i=$((i + 1))
        [ $i -lt 50 ] || { echo "$(basename "$0"): Xvfb did not start" >&2; exit 1; }
        sleep 0.1
    done
}
