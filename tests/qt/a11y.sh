#!/usr/bin/env bash
# tarvolin over the accessibility bus: a private Xvfb, a private session bus (which starts the
# accessibility bus and its registry when first asked) and a throw-away home, then
# a11y_e2e.py reads the windows as a screen reader does and types as a keyboard user does.
# Usage: a11y.sh PATH/TO/tarvolin
set -uo pipefail
tarvolin=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../../scripts/desktop-env.sh
source "$here/../../scripts/desktop-env.sh"
work=$(mktemp -d)
cleanup() {
    tarvo_end "$tarvo_xvfb_pid"
    rm -rf "$work"
}
trap cleanup EXIT

tarvo_xvfb_up "$work" || exit 1

# Everything the program writes stays in the work folder; links are "opened" by a stand-in
# for xdg-open that writes down what it was given.
tarvo_private_xdg "$work"
tarvo_private_home "$work/home" "$work/runtime"
mkdir -p "$work/bin"
printf '#!/bin/sh\nprintf "%%s\\n" "$1" > "%s/opened.log"\n' "$work" >"$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
export PATH="$work/bin:$PATH"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 NO_AT_BRIDGE=0
unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS

# The session bus ends with the script it runs, and the accessibility bus with it.
dbus-run-session -- /usr/bin/python3 "$here/a11y_e2e.py" "$tarvolin" "$work" 2> >(
    grep -v -e 'Failed to set fd limit' -e 'Activating service' -e 'Successfully activated' \
        -e 'SpiRegistry daemon' -e 'AT-SPI: Cannot open default display' -e 'X connection to' -e '^$' >&2)
