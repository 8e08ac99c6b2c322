#!/usr/bin/env bash
# Builds tarvolin, the native Linux program, and opens its argument dialog on a file: on your
# X display when $DISPLAY works; otherwise on a private Xvfb, where it saves a screenshot of the
# dialog, prints its path and closes the dialog again. Each run has a private, empty data
# folder, removed at the end, as the Windows run has a fresh Wine prefix: the history, the
# settings and any file-manager menus the settings window makes go there (XDG_STATE_HOME,
# XDG_CONFIG_HOME, XDG_DATA_HOME), never into your own folders.
#
#   bash scripts/run.sh --linux [FILE]   FILE defaults to docs/sample/hello.sh; "" opens the
#                                        settings window
#   TARVO_SCREENSHOT=out.png             where the Xvfb screenshot goes (default
#                                        build/run-linux/dialog.png)
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
if [ $# -gt 0 ] && [ -z "$1" ]; then
    target=""
else
    target=$(realpath "${1:-docs/sample/hello.sh}") || exit 1
fi

# shellcheck source=packages.sh
source scripts/packages.sh
tarvo_install_missing cmake make g++ qt6-base-dev xvfb xauth xdotool imagemagick xterm || exit 1
# shellcheck source=desktop-env.sh
source scripts/desktop-env.sh

echo "== building tarvolin"
mkdir -p build/run-linux
cmake -S . -B build/run-linux -DCMAKE_BUILD_TYPE=Release -DTARVO_TESTS=OFF >/dev/null || exit 1
cmake --build build/run-linux -j "$(nproc)" --target tarvolin >build/run-linux/build.log 2>&1 ||
    { cat build/run-linux/build.log; exit 1; }
program=$root/build/run-linux/tarvolin

work=$(mktemp -d)
cleanup() {
    tarvo_end "$tarvo_xvfb_pid"
    rm -rf "$work"
}
trap cleanup EXIT
tarvo_private_xdg "$work/data"
mkdir -p "$XDG_STATE_HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"
echo "== a private, empty data folder for this run: $work/data (removed at the end)"

if [ -n "${DISPLAY:-}" ] && timeout 5 xdotool getdisplaygeometry >/dev/null 2>&1; then
    echo "== opening tarvolin on $DISPLAY for ${target:-(no file: the settings window)}"
    if [ -n "$target" ]; then "$program" "$target"; else "$program"; fi
    exit $?
fi

tarvo_xvfb_up "$work" || exit 1
echo "== no usable display: opening tarvolin on Xvfb $DISPLAY for ${target:-(the settings window)}"

shot=${TARVO_SCREENSHOT:-$root/build/run-linux/dialog.png}
mkdir -p "$(dirname "$shot")"
if [ -n "$target" ]; then "$program" "$target" & else "$program" & fi
app_pid=$!
window=""
for _ in $(seq 1 100); do
    window=$(xdotool search --onlyvisible --name '^Tarvolin$' 2>/dev/null | head -1)
    [ -n "$window" ] && break
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
done
if [ -z "$window" ]; then
    echo "the window did not appear"
    kill "$app_pid" 2>/dev/null
    exit 1
fi
sleep 1  # let the first paint finish
eval "$(xdotool getwindowgeometry --shell "$window")"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$shot" || exit 1
echo "screenshot: $shot"
kill "$app_pid" 2>/dev/null
wait "$app_pid" 2>/dev/null
exit 0
