#!/usr/bin/env bash
# tarvolin over the accessibility bus: a private Xvfb, a private session bus (which starts the
# accessibility bus and its registry when first asked) and a throw-away home, then
# a11y_e2e.py reads the windows as a screen reader does and types as a keyboard user does.
# Usage: a11y.sh PATH/TO/tarvolin
set -uo pipefail
tarvolin=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
xvfb_pid=
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

# Everything the program writes stays in the work folder; links are "opened" by a stand-in
# for xdg-open that writes down what it was given.
export HOME="$work/home" XDG_STATE_HOME="$work/state" XDG_CONFIG_HOME="$work/config"
export XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$work/bin"
chmod 700 "$XDG_RUNTIME_DIR"
printf '#!/bin/sh\nprintf "%%s\\n" "$1" > "%s/opened.log"\n' "$work" >"$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
export PATH="$work/bin:$PATH"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 NO_AT_BRIDGE=0
unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS

# The session bus ends with the script it runs, and the accessibility bus with it.
dbus-run-session -- /usr/bin/python3 "$here/a11y_e2e.py" "$tarvolin" "$work" 2> >(
    grep -v -e 'Failed to set fd limit' -e 'Activating service' -e 'Successfully activated' \
        -e 'SpiRegistry daemon' -e 'AT-SPI: Cannot open default display' -e 'X connection to' -e '^$' >&2)
