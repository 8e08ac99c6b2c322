#!/usr/bin/env bash
# Takes every picture that README and docs/ show, on private X servers: from Tarvo.exe under
# Wine the argument dialog on a sample file with a short history, the settings window as it
# opens without a file and the settings window opened from the dialog's "?" button; from
# tarvolin the argument dialog and the settings window without a file, each in the default
# and a dark palette (scripts/screenshots-linux.sh). Builds both programs first.
#
#   bash scripts/screenshots.sh [path/to/Tarvo.exe]   # default: build Tarvo.exe in build/run
#   TARVO_SHOTS=folder                                # where the PNGs go (default: docs)
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
root=$(pwd)
out=${TARVO_SHOTS:-$root/docs}
case "$out" in /*) ;; *) out="$root/$out" ;; esac
mkdir -p "$out"

# shellcheck source=packages.sh
source scripts/packages.sh
tarvo_install_missing cmake make g++-mingw-w64-x86-64-posix wine wine64 fonts-wine xvfb xauth \
    xdotool imagemagick || exit 1

if [ $# -gt 0 ]; then
    exe=$1
    [ -f "$exe" ] || { echo "no Tarvo.exe at $exe" >&2; exit 1; }
else
    echo "== building Tarvo.exe"
    mkdir -p build/run
    cmake -S . -B build/run -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DTARVO_TESTS=OFF >/dev/null || exit 1
    cmake --build build/run -j "$(nproc)" --target Tarvo >build/run/build.log 2>&1 ||
        { cat build/run/build.log; exit 1; }
    exe=build/run/Tarvo.exe
fi
exe=$(realpath "$exe")

# tarvolin's two windows first, in the default and a dark palette (screenshots-linux.sh).
echo "== building tarvolin"
tarvo_install_missing g++ qt6-base-dev || exit 1
mkdir -p build/run-linux
cmake -S . -B build/run-linux -DCMAKE_BUILD_TYPE=Release -DTARVO_TESTS=OFF >/dev/null || exit 1
cmake --build build/run-linux -j "$(nproc)" --target tarvolin >build/run-linux/build.log 2>&1 ||
    { cat build/run-linux/build.log; exit 1; }
TARVO_SHOTS="$out" bash scripts/screenshots-linux.sh build/run-linux/tarvolin || exit 1

# shellcheck source=wine-env.sh
source scripts/wine-env.sh
tarvo_wine_up xvfb || exit 1

# A writable program folder (MRU.INI and Settings.ini live beside Tarvo.exe), a sample target
# and a short history for it, as a few runs would have left it.
program="$WINEPREFIX/drive_c/Tarvolin"
mkdir -p "$program" "$WINEPREFIX/drive_c/Tools"
cp "$exe" "$program/Tarvo.exe"
cp docs/sample/hello.bat "$WINEPREFIX/drive_c/Tools/hello.bat"
printf '[hello.bat]\r\n0=0\r\n1=--name World\r\n2=-v readme.txt\r\n3=--help\r\n' \
    >"$program/MRU.INI"
target='C:\Tools\hello.bat'

tarvo_pid=""
fail() {
    echo "screenshots: $*" >&2
    [ -n "$tarvo_pid" ] && kill "$tarvo_pid" 2>/dev/null
    exit 1
}

# Starts Tarvo.exe with the arguments, in the background.
start() {
    wine "$program/Tarvo.exe" "$@" >/dev/null 2>&1 &
    tarvo_pid=$!
}

# The visible top-level window titled "Tarvolin", waiting for it. With "not H" or "is H" only
# a window whose outer height is not, or is, H pixels: the settings window and the dialog it
# replaces share the title.
find_window() {
    local test=${1:-} height=${2:-}
    local w HEIGHT  # HEIGHT and the rest are set by getwindowgeometry --shell
    for _ in $(seq 1 200); do
        for w in $(xdotool search --onlyvisible --name '^Tarvolin$' 2>/dev/null); do
            eval "$(xdotool getwindowgeometry --shell "$w")"
            case "$test" in
                not) [ "$HEIGHT" != "$height" ] || continue ;;
                is) [ "$HEIGHT" = "$height" ] || continue ;;
            esac
            echo "$w"
            return 0
        done
        kill -0 "$tarvo_pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

# Saves the screen under the window's outer rectangle.
shoot() {
    local window=$1 file=$2
    sleep 1  # let the first paint finish
    eval "$(xdotool getwindowgeometry --shell "$window")"
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$file" ||
        fail "import failed for $file"
    echo "screenshot: $file (${WIDTH}x${HEIGHT})"
}

# Sends the keys to the window until it is no longer shown: a key sent to a window that has
# only just taken the focus is now and then lost.
press_until_closed() {
    local window=$1
    shift
    for _ in 1 2 3; do
        xdotool key --window "$window" "$@" 2>/dev/null
        for _ in $(seq 1 30); do
            xdotool search --onlyvisible --name '^Tarvolin$' 2>/dev/null | grep -qx "$window" ||
                return 0
            sleep 0.1
        done
    done
    return 1
}

# Waits for Tarvo.exe to end; ends it by its id if it does not.
wait_end() {
    for _ in $(seq 1 100); do
        kill -0 "$tarvo_pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$tarvo_pid" 2>/dev/null; then
        echo "screenshots: Tarvo.exe did not end by itself; ending it" >&2
        kill "$tarvo_pid"
    fi
    wait "$tarvo_pid" 2>/dev/null
    tarvo_pid=""
}

echo "== the argument dialog"
start "$target"
dialog=$(find_window) || fail "the dialog did not appear"
# One typed character completes from the history and shows the completion selected.
xdotool type --window "$dialog" -- '-'
shoot "$dialog" "$out/dialog.png"

echo "== the settings window from the dialog's \"?\" button"
eval "$(xdotool getwindowgeometry --shell "$dialog")"
dialog_height=$HEIGHT
# "?" is the sixth stop of the Tab order: argument box, CMD, OK, Cancel, Browse, "?".
xdotool key --window "$dialog" Tab Tab Tab Tab Tab space
settings=$(find_window not "$dialog_height") || fail "the settings window did not appear"
shoot "$settings" "$out/settings-from-dialog.png"
eval "$(xdotool getwindowgeometry --shell "$settings")"
from_dialog_height=$HEIGHT
# Enter presses "&OK", which closes it and brings the dialog back; Esc there ends the program
# without a launch. (Alt+O sent with xdotool reaches the dialog behind as well.)
press_until_closed "$settings" Return || fail "the settings window did not close on OK"
dialog=$(find_window is "$dialog_height") || fail "the dialog did not come back"
press_until_closed "$dialog" Escape
wait_end

echo "== the settings window without a file"
start
# Without a file the window takes its taller layout; until then (a loaded machine) it may be
# found at the other layout's height, not yet painted.
settings=$(find_window not "$from_dialog_height") || fail "the settings window did not appear"
shoot "$settings" "$out/settings-no-target.png"
press_until_closed "$settings" Return
wait_end

tarvo_wine_down
