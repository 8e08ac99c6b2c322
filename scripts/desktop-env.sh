# Sourced by the Linux test and run scripts: a private Xvfb and folders, ended by PID.
# shellcheck shell=bash
#
#   source scripts/desktop-env.sh
#   tarvo_wait_for SECONDS COMMAND...     # polls COMMAND every $TARVO_WAIT_STEP seconds (0.1)
#   tarvo_xvfb_up WORK [WxHxD]            # a private Xvfb (-displayfd picks a free display);
#                                         # sets tarvo_xvfb_pid and exports DISPLAY
#   tarvo_private_xdg DIR                 # XDG_STATE_HOME, XDG_CONFIG_HOME, XDG_DATA_HOME in DIR
#   tarvo_private_home HOME RUNTIME       # a private HOME and XDG_RUNTIME_DIR (mode 700)
#   tarvo_end PID...                      # ends each PID given (empty ones are skipped)
#
# The calling script keeps its own work folder and its EXIT trap, which calls tarvo_end with
# the PIDs it holds (tarvo_xvfb_pid last) and removes the work folder.

# shellcheck disable=SC2034 # read by the calling scripts' clean-up
tarvo_xvfb_pid=

tarvo_wait_for() {
    local end=$((SECONDS + $1))
    shift
    until "$@"; do
        [ $SECONDS -ge $end ] && return 1
        sleep "${TARVO_WAIT_STEP:-0.1}"
    done
}

# Fails (after 10 seconds) when the server gives no display number.
tarvo_xvfb_up() {
    exec 3>"$1/display"
    Xvfb -displayfd 3 -screen 0 "${2:-1280x800x24}" -nolisten tcp >/dev/null 2>&1 &
    tarvo_xvfb_pid=$!
    tarvo_wait_for 10 test -s "$1/display" || { echo "Xvfb did not start"; return 1; }
    DISPLAY=":$(head -n1 "$1/display")"
    export DISPLAY
}

tarvo_private_xdg() {
    export XDG_STATE_HOME="$1/state" XDG_CONFIG_HOME="$1/config" XDG_DATA_HOME="$1/data"
}

tarvo_private_home() {
    export HOME="$1" XDG_RUNTIME_DIR="$2"
    mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
}

tarvo_end() {
    local pid
    for pid in "$@"; do
        [ -n "$pid" ] && kill "$pid" 2>/dev/null
    done
    return 0
}
