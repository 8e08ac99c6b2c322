#!/usr/bin/env bash
# Takes the high-contrast screenshots in docs/: the argument dialog and the settings window
# from a built Tarvo.exe under Wine, with the prefix set to a high-contrast colour scheme
# (white text on black, links in yellow, visual styles off, as Windows' "High Contrast Black").
# Builds nothing.
#
#   bash scripts/screenshots-contrast.sh [path/to/Tarvo.exe]   # default: build/win64/Tarvo.exe
#   TARVO_SHOTS=folder                                         # where the PNGs go (default: docs)
#   TARVO_DPI=192                                              # the screen's DPI (200 %); the
#                                                              # files then end in -192dpi.png
#
# Needs wine, xvfb, xdotool and imagemagick.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
root=$(pwd)
exe=${1:-build/win64/Tarvo.exe}
[ -f "$exe" ] || { echo "no Tarvo.exe at $exe: build it first or name it" >&2; exit 1; }
exe=$(realpath "$exe")
out=${TARVO_SHOTS:-$root/docs}
mkdir -p "$out"

# shellcheck source=wine-env.sh
source scripts/wine-env.sh
tarvo_wine_up xvfb || exit 1

# The scheme: every colour a window of the program draws with, as a high-contrast theme sets
# them, and no visual style (a high-contrast theme turns them off).
colours=(
    "ActiveBorder=255 255 255" "ActiveTitle=0 0 0" "AppWorkSpace=0 0 0" "Background=0 0 0"
    "ButtonAlternateFace=0 0 0" "ButtonDkShadow=255 255 255" "ButtonFace=0 0 0"
    "ButtonHilight=255 255 255" "ButtonLight=255 255 255" "ButtonShadow=255 255 255"
    "ButtonText=255 255 255" "GradientActiveTitle=0 0 0" "GradientInactiveTitle=0 0 0"
    "GrayText=63 242 63" "Hilight=26 235 255" "HilightText=0 0 0" "HotTrackingColor=255 255 0"
    "InactiveBorder=255 255 255" "InactiveTitle=0 0 0" "InactiveTitleText=255 255 255"
    "InfoText=255 255 255" "InfoWindow=0 0 0" "Menu=0 0 0" "MenuBar=0 0 0"
    "MenuHilight=26 235 255" "MenuText=255 255 255" "Scrollbar=0 0 0" "TitleText=255 255 255"
    "Window=0 0 0" "WindowFrame=255 255 255" "WindowText=255 255 255")
for entry in "${colours[@]}"; do
    _tarvo_wine_quiet reg add 'HKCU\Control Panel\Colors' /v "${entry%%=*}" /d "${entry#*=}" /f
done
_tarvo_wine_quiet reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' \
    /v ThemeActive /d 0 /f
suffix=""
if [ -n "${TARVO_DPI:-}" ]; then
    _tarvo_wine_quiet reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
        /d "$TARVO_DPI" /f
    suffix="-${TARVO_DPI}dpi"
fi


program="$WINEPREFIX/drive_c/Tarvolin"
mkdir -p "$program" "$WINEPREFIX/drive_c/Tools"
cp "$exe" "$program/Tarvo.exe"
cp docs/sample/hello.bat "$WINEPREFIX/drive_c/Tools/hello.bat"
printf '[hello.bat]\r\n0=0\r\n1=--name World\r\n2=-v readme.txt\r\n' >"$program/MRU.INI"
printf '[ASSOCIATION]\r\n0=bat\r\n1=cmd\r\n' >"$program/Settings.ini"

tarvo_pid=""
fail() {
    echo "screenshots-contrast: $*" >&2
    [ -n "$tarvo_pid" ] && kill "$tarvo_pid" 2>/dev/null
    exit 1
}
start() {
    wine "$program/Tarvo.exe" "$@" >/dev/null 2>&1 &
    tarvo_pid=$!
}
find_window() {
    local w
    for _ in $(seq 1 200); do
        w=$(xdotool search --onlyvisible --name '^Tarvolin$' 2>/dev/null | head -1)
        [ -n "$w" ] && { echo "$w"; return 0; }
        kill -0 "$tarvo_pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}
shoot() {
    local window=$1 file=$2 WIDTH HEIGHT X Y
    sleep 1  # let the first paint finish
    eval "$(xdotool getwindowgeometry --shell "$window")"
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$file" ||
        fail "import failed for $file"
    echo "screenshot: $file (${WIDTH}x${HEIGHT})"
}
stop() {
    kill "$tarvo_pid" 2>/dev/null
    wait "$tarvo_pid" 2>/dev/null
    tarvo_pid=""
}

start 'C:\Tools\hello.bat'
dialog=$(find_window) || fail "the dialog did not appear"
xdotool type --window "$dialog" -- '-'
shoot "$dialog" "$out/dialog-high-contrast$suffix.png"
stop

start
settings=$(find_window) || fail "the settings window did not appear"
shoot "$settings" "$out/settings-high-contrast$suffix.png"
stop

tarvo_wine_down
