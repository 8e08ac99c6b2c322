#!/usr/bin/env bash
# Takes tarvolin's screenshots in docs/ from a built tarvolin on a private Xvfb: the argument
# dialog on the sample file with a short history and the settings window as it opens without a
# file, each in the desktop's default colours and in a dark palette (qt6ct's "darker", as a
# user picks it with qt6ct, the Qt settings tool of desktops other than KDE). Builds nothing.
#
#   bash scripts/screenshots-linux.sh [path/to/tarvolin]   # default: build/host/tarvolin
#   TARVO_SHOTS=folder                                     # where the PNGs go (default: docs)
#   QT_SCALE_FACTOR=2 bash scripts/screenshots-linux.sh    # the same at twice the size
#
# Needs xvfb, xdotool, imagemagick and qt6ct.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
root=$(pwd)
program=${1:-build/host/tarvolin}
[ -x "$program" ] || { echo "no tarvolin at $program: build it first or name it" >&2; exit 1; }
program=$(realpath "$program")
out=${TARVO_SHOTS:-$root/docs}
mkdir -p "$out"

# shellcheck source=packages.sh
source scripts/packages.sh
tarvo_install_missing xvfb xauth xdotool imagemagick qt6ct || exit 1
# shellcheck source=desktop-env.sh
source scripts/desktop-env.sh

work=$(mktemp -d)
app_pid=
cleanup() {
    tarvo_end "$app_pid" "$tarvo_xvfb_pid"
    rm -rf "$work"
}
trap cleanup EXIT

tarvo_xvfb_up "$work" 1600x1000x24 || exit 1

# Everything tarvolin writes stays in the work folder: a history for the sample, as a few
# runs would have left it, and no menus of the user's.
export HOME="$work/home" XDG_STATE_HOME="$work/state" XDG_DATA_HOME="$work/data"
mkdir -p "$HOME/Tools" "$XDG_STATE_HOME/tarvolin"
cp docs/sample/hello.sh "$HOME/Tools/hello.sh"
printf '[hello.sh]\r\n0=0\r\n1=--name World\r\n2=-v readme.txt\r\n3=--help\r\n' \
    >"$XDG_STATE_HOME/tarvolin/MRU.INI"

# Sets the palette for the next starts: "" for the default, else a qt6ct colour scheme.
palette() {
    if [ -z "$1" ]; then
        unset QT_QPA_PLATFORMTHEME
        return
    fi
    export QT_QPA_PLATFORMTHEME=qt6ct XDG_CONFIG_HOME="$work/config-$2"
    mkdir -p "$XDG_CONFIG_HOME/qt6ct"
    printf '[Appearance]\ncolor_scheme_path=%s\ncustom_palette=true\nstyle=Fusion\n' "$1" \
        >"$XDG_CONFIG_HOME/qt6ct/qt6ct.conf"
}

# Starts tarvolin with the arguments and saves its window as FILE.
shoot() {
    local file=$1 window="" X Y WIDTH HEIGHT
    shift
    "$program" "$@" >/dev/null 2>&1 &
    app_pid=$!
    for _ in $(seq 1 100); do
        window=$(xdotool search --onlyvisible --name '^Tarvolin$' 2>/dev/null | head -1)
        [ -n "$window" ] && break
        sleep 0.1
    done
    [ -n "$window" ] || { echo "screenshots: no window for $file" >&2; exit 1; }
    sleep 1  # let the first paint finish
    eval "$(xdotool getwindowgeometry --shell "$window")"
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out/$file" ||
        { echo "screenshots: import failed for $file" >&2; exit 1; }
    echo "screenshot: $out/$file (${WIDTH}x${HEIGHT})"
    kill "$app_pid" 2>/dev/null
    wait "$app_pid" 2>/dev/null
    app_pid=
}

export XDG_CONFIG_HOME="$work/config"
for theme in default dark; do
    case $theme in
        default) palette "" && suffix="" ;;
        dark) palette /usr/share/qt6ct/colors/darker.conf dark && suffix="-dark" ;;
    esac
    shoot "linux-dialog$suffix.png" "$HOME/Tools/hello.sh"
    shoot "linux-settings$suffix.png"
done
