#!/usr/bin/env bash
# Builds Tarvo.exe and opens its argument dialog on a file under Wine, in a fresh prefix:
# on your X display when $DISPLAY works; otherwise on a private Xvfb, where it saves a
# screenshot of the dialog, prints its path and closes the dialog again.
#
#   bash scripts/run.sh [FILE]        FILE defaults to docs/sample/hello.bat
#   bash scripts/run.sh --linux [FILE]  the native Linux program instead (scripts/run-linux.sh)
#   TARVO_SCREENSHOT=out.png          where the Xvfb screenshot goes (default build/run/dialog.png,
#                                     with --linux build/run-linux/dialog.png)
set -uo pipefail
if [ "${1:-}" = "--linux" ]; then
    shift
    exec bash "$(dirname "$0")/run-linux.sh" "$@"
fi
cd "$(dirname "$0")/.."
root=$(pwd)
target=$(realpath "${1:-docs/sample/hello.bat}") || exit 1

# shellcheck source=packages.sh
source scripts/packages.sh
tarvo_install_missing cmake make g++-mingw-w64-x86-64-posix wine wine64 fonts-wine xvfb xauth \
    xdotool imagemagick || exit 1

echo "== building Tarvo.exe"
cmake -S . -B build/run -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DTARVO_TESTS=OFF >/dev/null || exit 1
cmake --build build/run -j "$(nproc)" --target Tarvo >build/run/build.log 2>&1 ||
    { cat build/run/build.log; exit 1; }

mode=xvfb
if [ -n "${DISPLAY:-}" ] && timeout 5 xdotool getdisplaygeometry >/dev/null 2>&1; then
    mode=display
fi

# shellcheck source=wine-env.sh
source scripts/wine-env.sh
tarvo_wine_up "$mode" || exit 1

# The program folder must be writable: MRU.INI is kept beside Tarvo.exe.
program="$WINEPREFIX/drive_c/Tarvolin"
mkdir -p "$program"
cp build/run/Tarvo.exe "$program/"
wintarget=$(winepath_w "$target")

if [ "$mode" = display ]; then
    echo "== opening the dialog on $DISPLAY for $wintarget"
    # The verb's command passes the path unquoted; the program takes its whole command line.
    wine "$program/Tarvo.exe" "$wintarget"
    exit 0
fi

echo "== no usable display: opening the dialog on Xvfb $DISPLAY for $wintarget"
shot=${TARVO_SCREENSHOT:-$root/build/run/dialog.png}
wine "$program/Tarvo.exe" "$wintarget" >/dev/null 2>&1 &
tarvo_pid=$!

window=""
for _ in $(seq 1 200); do
    window=$(xdotool search --onlyvisible --name '^Tarvolin$' 2>/dev/null | head -1)
    [ -n "$window" ] && break
    kill -0 "$tarvo_pid" 2>/dev/null || break
    sleep 0.1
done
if [ -z "$window" ]; then
    echo "the dialog did not appear"
    kill "$tarvo_pid" 2>/dev/null
    exit 1
fi
sleep 1  # let the first paint finish

# Crop the screen to the dialog's outer rectangle.
eval "$(xdotool getwindowgeometry --shell "$window")"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$shot" || exit 1
echo "screenshot: $shot"

xdotool key --window "$window" Escape
for _ in $(seq 1 100); do
    kill -0 "$tarvo_pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$tarvo_pid" 2>/dev/null; then
    echo "the dialog did not close on Esc"
    kill "$tarvo_pid"
fi
wait "$tarvo_pid" 2>/dev/null
exit 0
