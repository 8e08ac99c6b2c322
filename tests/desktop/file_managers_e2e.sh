#!/usr/bin/env bash
# The "Tarvolin" entry in the real file managers: each one runs on a private Xvfb with a window
# manager (openbox), its own session bus and a private home. For a file of a listed extension
# its context menu offers "Tarvolin" and picking it opens tarvolin's dialog on that file; for a
# file of another extension the menu has no such entry. The menu is opened from the keyboard
# and read through the accessibility bus (tests/desktop/menu_walk.py), so no screen is read.
# Usage: file_managers_e2e.sh PATH/TO/tarvolin PATH/TO/make_menus [MANAGER...]
#   MANAGER: thunar nemo dolphin nautilus nautilus-scripts caja pcmanfm-qt (default: every one
#   installed; nautilus-scripts is GNOME Files as it is without python3-nautilus)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../../scripts/desktop-env.sh
source "$here/../../scripts/desktop-env.sh"
TARVO_WAIT_STEP=0.2

if [ "${1:-}" != "--inside" ]; then
    tarvolin=$(realpath "$1")
    make_menus=$(realpath "$2")
    shift 2
    work=$(mktemp -d)
    wm_pid=
    cleanup() {
        tarvo_end "$wm_pid" "$tarvo_xvfb_pid"
        rm -rf "$work"
    }
    trap cleanup EXIT
    tarvo_xvfb_up "$work" || exit 1
    # A private home: the menus, the file managers' settings and caches all land in it.
    tarvo_private_home "$work/home" "$work/run"
    export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share"
    export XDG_CACHE_HOME="$HOME/.cache" XDG_STATE_HOME="$HOME/.local/state"
    unset XDG_SESSION_TYPE XDG_CURRENT_DESKTOP DESKTOP_SESSION SESSION_MANAGER
    # GNOME Files starts the desktop search's indexer, which would keep both cores busy: the
    # private home's own service files, read before the system's, make it fail at once.
    mkdir -p "$XDG_DATA_HOME/dbus-1/services"
    for name in org.freedesktop.Tracker3.Miner.Files org.freedesktop.Tracker3.Miner.Extract; do
        printf '[D-BUS Service]\nName=%s\nExec=/bin/false\n' "$name" \
            > "$XDG_DATA_HOME/dbus-1/services/$name.service"
    done
    openbox >/dev/null 2>&1 &
    wm_pid=$!
    # The session bus ends with the test, and the services it started (the accessibility
    # bus among them) with it.
    dbus-run-session -- bash "$0" --inside "$tarvolin" "$make_menus" "$work" "$@" \
        2>>"$work/manager.log"
    rc=$?
    [ "$rc" -ne 0 ] && { echo "--- the file managers' and their services' output"; tail -n 60 "$work/manager.log"; }
    exit "$rc"
fi

shift
tarvolin=$1
make_menus=$2
work=$3
shift 3
managers=("$@")
if [ ${#managers[@]} -eq 0 ]; then
    for m in thunar nemo dolphin nautilus caja pcmanfm-qt; do
        if command -v "$m" >/dev/null; then managers+=("$m"); else echo "skipped: $m (not installed)"; fi
    done
    command -v nautilus >/dev/null && managers+=(nautilus-scripts)
fi
# Toolkits speak to the accessibility bus only when asked.
export GTK_A11Y=atspi NO_AT_BRIDGE=0 QT_ACCESSIBILITY=1 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
python=/usr/bin/python3  # the system's, which has pyatspi

failures=0
check() {  # check WHAT EXPECTED ACTUAL
    if [ "$2" == "$3" ]; then
        echo "ok: $1"
    else
        echo "FAILED: $1"
        # For a look at the screen: TARVO_FM_SHOTS=FOLDER keeps a screenshot (ImageMagick).
        [ -n "${TARVO_FM_SHOTS:-}" ] && import -window root "$TARVO_FM_SHOTS/$((failures + 1)).png"
        echo "  expected: $(printf '%q' "$2")"
        echo "  actual:   $(printf '%q' "$3")"
        failures=$((failures + 1))
    fi
}

files="$work/files"
mkdir -p "$files"
echo 'listed' > "$files/notes.log"
echo 'not listed' > "$files/other.txt"
"$make_menus" "$tarvolin" log || { echo "FAILED: the menus could not be made"; exit 1; }
# The list the menus were made from, which tarvolin looks at again when a menu that is offered
# for more files than the listed ones starts it (--if-listed).
mkdir -p "$XDG_CONFIG_HOME/tarvolin"
printf '[ASSOCIATION]\r\n0=log\r\n' > "$XDG_CONFIG_HOME/tarvolin/Settings.ini"


fm_pid=
window=
# Starts a file manager on the folder and waits for its window (found by its class).
start_manager() {  # start_manager CLASS COMMAND...
    local class=$1
    shift
    "$@" >>"$work/manager.log" 2>&1 &
    fm_pid=$!
    window=
    local end=$((SECONDS + 30))
    while [ -z "$window" ] && [ $SECONDS -lt $end ]; do
        window=$(xdotool search --onlyvisible --class "$class" 2>/dev/null | head -n1)
        sleep 0.3
    done
    [ -n "$window" ] || return 1
    sleep 1.5  # the folder's files are listed after the window shows
}

# Selects one file and opens the context menu from the keyboard. Most managers select a file
# whose name is typed (some keep a search box open until Escape); GNOME Files searches
# instead, so it is started anew with the file selected.
open_menu_on() {  # open_menu_on NAME
    if [ "$select_by" = start ]; then
        stop_manager
        start_manager "$class" "${command[@]}" "$files/$1" || return 1
    fi
    xdotool windowactivate --sync "$window" >/dev/null 2>&1
    sleep 0.3
    # PCManFM-Qt types into a filter, which Escape clears.
    [ "$select_by" = type-escape ] && xdotool key Escape && sleep 0.3
    [ "$select_by" != start ] && xdotool type --delay 60 "$1"
    sleep 0.8
    [ "$select_by" = type-escape ] && xdotool key Escape && sleep 0.3
    xdotool key Menu
    sleep 1
}

# The items of the open menu (of its submenu with --in SUBMENU), or with a name, picks it.
walk() {
    timeout 30 "$python" "$here/menu_walk.py" "$@" 2>>"$work/manager.log"
}

# Opens the context menu on a file; a manager still loading its folder (GNOME Files on its
# first start) may show none, so it is tried again, three times in all.
menu_on() {  # menu_on NAME
    local try
    for try in 1 2 3; do
        open_menu_on "$1" && [ -n "$(walk)" ] && return 0
        xdotool key Escape
        sleep 2
    done
    return 1
}

# The dialog tarvolin shows, by its title; prints "pid file" of the first one.
dialog_file() {
    local w p
    for w in $(xdotool search --onlyvisible --name '^Tarvolin$' 2>/dev/null); do
        p=$(xdotool getwindowpid "$w" 2>/dev/null) || continue
        # The file is the last word of the command line.
        printf '%s %s\n' "$p" "$(tr '\0' '\n' < "/proc/$p/cmdline" | tail -n1)"
        return 0
    done
    return 1
}

stop_manager() {
    kill "$fm_pid" 2>/dev/null
    wait "$fm_pid" 2>/dev/null
    sleep 0.5
}

run_manager() {  # run_manager NAME CLASS COMMAND...  (the folder or file comes last)
    local name=$1 class=$2
    shift 2
    command=("$@")
    echo "== $name"
    local target=$files
    [ "$select_by" = start ] && target=$files/other.txt
    if ! start_manager "$class" "$@" "$target"; then
        check "$name: its window" "shown" "not shown"
        kill "$fm_pid" 2>/dev/null
        return
    fi

    local opened=no
    menu_on other.txt && opened=yes
    check "$name: a context menu opens" "yes" "$opened"
    check "$name: no entry for an unlisted file" "" "$(walk "${submenu[@]}" | grep -x Tarvolin)"
    xdotool key Escape
    sleep 1.5  # type-ahead forgets what was typed

    menu_on notes.log
    # "Open With" lists Tarvolin but never makes it what opens the file: the menu's first
    # item, the program a double-click starts, is another.
    local first
    first=$(walk | head -n1)
    check "$name: the first item is another program's" "yes" \
        "$([ -n "$first" ] && ! grep -q Tarvolin <<<"$first" && echo yes || echo "${first:-none}")"
    walk "${submenu[@]}" Tarvolin >/dev/null
    check "$name: the entry for a listed file" "0" "$?"
    local found=
    tarvo_wait_for 15 dialog_file >/dev/null && found=$(dialog_file)
    check "$name: the dialog opens on the file" "$files/notes.log" "${found#* }"
    tarvolin_shows "Open it in Tarvolin anyway?"
    check "$name: without asking" "1" "$?"
    [ -n "$found" ] && kill "${found%% *}" 2>/dev/null
    stop_manager
}

# A text shown by a running tarvolin, looked for through the accessibility bus.
tarvolin_shows() {  # tarvolin_shows TEXT
    "$python" - "$1" <<'FIND' 2>/dev/null
import sys, pyatspi
def has(acc, depth=0):
    try:
        if sys.argv[1] in (acc.name or ""):
            return True
        return depth < 20 and any(has(acc.getChildAtIndex(i), depth + 1) for i in range(acc.childCount))
    except Exception:
        return False
apps = [a for a in pyatspi.Registry.getDesktop(0) if a is not None and a.name == "tarvolin"]
sys.exit(0 if any(has(a) for a in apps) else 1)
FIND
}

# GNOME Files without python3-nautilus: its Scripts menu offers Tarvolin for every file, and
# tarvolin asks before it opens a file of an extension that is not listed.
run_nautilus_scripts() {
    echo "== GNOME Files, Scripts menu"
    "$make_menus" --nautilus-scripts "$tarvolin" log || { check "the script is made" 0 1; return; }
    select_by=start
    submenu=(--in Scripts)
    class=nautilus
    command=(nautilus --select)
    fm_pid=
    local found=
    if menu_on notes.log; then
        walk "${submenu[@]}" Tarvolin >/dev/null
        check "GNOME Files: Scripts > Tarvolin for a listed file" "0" "$?"
        tarvo_wait_for 15 dialog_file >/dev/null && found=$(dialog_file)
        check "GNOME Files: the script opens the dialog on the file" "$files/notes.log" "${found#* }"
        tarvolin_shows "Open it in Tarvolin anyway?"
        check "GNOME Files: without asking" "1" "$?"
        [ -n "$found" ] && kill "${found%% *}" 2>/dev/null
    fi
    found=
    if menu_on other.txt; then
        walk "${submenu[@]}" Tarvolin >/dev/null
        check "GNOME Files: Scripts > Tarvolin for an unlisted file" "0" "$?"
        tarvo_wait_for 15 dialog_file >/dev/null && found=$(dialog_file)
        check "GNOME Files: the script starts tarvolin on the file" "$files/other.txt" "${found#* }"
        tarvo_wait_for 10 tarvolin_shows "Open it in Tarvolin anyway?"
        check "GNOME Files: tarvolin asks first" "0" "$?"
        xdotool key Escape  # No
        local pid=${found%% *}
        tarvo_wait_for 10 sh -c "! kill -0 ${pid:-0} 2>/dev/null"
        check "GNOME Files: No ends tarvolin" "ended" \
            "$(kill -0 "${pid:-0}" 2>/dev/null && echo running || echo ended)"
        [ -n "$pid" ] && kill "$pid" 2>/dev/null
    fi
    stop_manager
    "$make_menus" "$tarvolin" log
}

for m in "${managers[@]}"; do
    select_by=type
    submenu=()
    case $m in
        thunar) select_by=type-escape
                run_manager Thunar thunar thunar ;;
        nemo) select_by=type-escape
              run_manager Nemo nemo nemo --no-desktop ;;
        dolphin) run_manager Dolphin dolphin dolphin --new-window ;;
        nautilus) select_by=start
                  run_manager "GNOME Files" nautilus nautilus --select ;;
        # caja-actions puts every action into a submenu of its own.
        caja) select_by=type-escape
              submenu=(--in "Caja-Actions actions")
              run_manager Caja caja caja --no-desktop ;;
        nautilus-scripts) run_nautilus_scripts ;;
        pcmanfm-qt) select_by=type-escape
                    run_manager PCManFM-Qt pcmanfm-qt pcmanfm-qt ;;
        *) echo "unknown file manager: $m"; failures=$((failures + 1)) ;;
    esac
done

[ "$failures" -eq 0 ] && echo "all file manager checks passed"
[ "$failures" -eq 0 ]
