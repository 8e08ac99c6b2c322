#!/usr/bin/env bash
# tarvolin end to end on a private Xvfb, driven with real key events (xdotool): a script in a
# folder whose name has a blank and a non-ASCII letter records its arguments and working
# folder; the history lands in MRU.INI; "&CMD" runs it in xterm, which stays open; two settings
# windows add extensions while one of them shows a note.
# Usage: e2e.sh PATH/TO/tarvolin
set -uo pipefail
tarvolin=$1
# shellcheck source=../../scripts/desktop-env.sh
source "$(dirname "$0")/../../scripts/desktop-env.sh"
work=$(mktemp -d)
term_pid=
copies=
cleanup() {
    # shellcheck disable=SC2086 # $copies is a list of PIDs
    tarvo_end "$term_pid" $copies "$tarvo_xvfb_pid"
    rm -rf "$work"
}
trap cleanup EXIT
failures=0
check() {  # check WHAT EXPECTED ACTUAL
    if [ "$2" == "$3" ]; then
        echo "ok: $1"
    else
        echo "FAILED: $1"
        echo "  expected: $(printf '%q' "$2")"
        echo "  actual:   $(printf '%q' "$3")"
        failures=$((failures + 1))
    fi
}

tarvo_xvfb_up "$work" || exit 1
tarvo_private_xdg "$work"
unset XDG_RUNTIME_DIR

folder="$work/My Ärger"
mkdir "$folder"
cat > "$folder/probe.sh" <<PROBE
#!/bin/sh
{ pwd; for a in "\$@"; do printf '<%s>\n' "\$a"; done; } > "$work/probe.tmp"
mv "$work/probe.tmp" "$work/probe.log"
PROBE
chmod +x "$folder/probe.sh"

# Starts tarvolin on the probe and waits until its dialog is there.
start_dialog() {
    "$tarvolin" "$folder/probe.sh" 2>>"$work/tarvolin.err" &
    app_pid=$!
    tarvo_wait_for 20 sh -c "xdotool search --name '^Tarvolin\$' >/dev/null 2>&1" ||
        { echo "FAILED: no dialog"; cat "$work/tarvolin.err"; exit 1; }
    sleep 0.5
}

# 1. Typed text, Enter: exactly three arguments, in the script's own folder.
start_dialog
xdotool type --delay 40 -- '-v "a b" c'
xdotool key Return
tarvo_wait_for 10 test -f "$work/probe.log"
check "arguments and working folder" "$(printf '%s\n<-v>\n<a b>\n<c>' "$folder")" \
    "$(cat "$work/probe.log" 2>/dev/null)"
tarvo_wait_for 10 sh -c "! kill -0 $app_pid 2>/dev/null"
check "tarvolin ended after the start" "ended" "$(kill -0 $app_pid 2>/dev/null && echo running || echo ended)"
check "history" "$(printf '[probe.sh]\r\n0=0\r\n1=-v "a b" c\r\n')" \
    "$(cat "$XDG_STATE_HOME/tarvolin/MRU.INI" 2>/dev/null)"
rm -f "$work/probe.log"

# 2. "&CMD": xterm runs the probe and stays open afterwards, its window titled with the
# probe's name. $TERMINAL is a wrapper named xterm (so it is given xterm's options) that
# records xterm's process id, so the test ends exactly that process.
mkdir "$work/bin"
cat > "$work/bin/xterm" <<TERM
#!/bin/sh
echo \$\$ > "$work/term.pid"
exec /usr/bin/xterm "\$@"
TERM
chmod +x "$work/bin/xterm"
export TERMINAL="$work/bin/xterm"
export SHELL=/bin/sh  # the shell the terminal keeps open; it leaves the window's title alone
start_dialog
xdotool key ctrl+a
xdotool type --delay 40 -- "'x y' z"
xdotool key alt+c
sleep 0.3
xdotool key Return
tarvo_wait_for 15 test -f "$work/probe.log"
check "arguments in the terminal" "$(printf '%s\n<x y>\n<z>' "$folder")" \
    "$(cat "$work/probe.log" 2>/dev/null)"
term_pid=$(cat "$work/term.pid" 2>/dev/null)
sleep 1
check "the terminal stays open" "open" "$( [ -n "$term_pid" ] && kill -0 "$term_pid" 2>/dev/null && echo open || echo closed)"
check "the terminal is titled with the file's name" "probe.sh" \
    "$(xdotool search --name '^probe\.sh$' >/dev/null 2>&1 && echo probe.sh || echo other)"
check "history with the console box" "$(printf '[probe.sh]\r\n0=1\r\n1='"'"'x y'"'"' z\r\n2=-v "a b" c\r\n')" \
    "$(cat "$XDG_STATE_HOME/tarvolin/MRU.INI" 2>/dev/null)"

# 3. Two settings windows: the first adds an extension no MIME type knows and shows its note;
# meanwhile the second adds one too, which must not wait for the first one's box.
visible_windows() {  # visible_windows PID: the ids of that copy's visible "Tarvolin" windows
    xdotool search --all --onlyvisible --pid "$1" --name '^Tarvolin$' 2>/dev/null | sort
}
count_is() { [ "$(visible_windows "$1" | wc -l)" -eq "$2" ]; }
# Adds EXT in the settings window of the copy PID: Alt+A, the extension, Enter.
add_in() {  # add_in PID EXT
    local before box
    before=$(visible_windows "$1")
    xdotool windowfocus --sync "$(echo "$before" | head -n1)"
    xdotool key alt+a
    tarvo_wait_for 10 count_is "$1" 2 || { echo "FAILED: no input box"; return 1; }
    box=$(comm -13 <(echo "$before") <(visible_windows "$1") | head -n1)
    xdotool windowfocus --sync "$box"
    sleep 0.3
    xdotool type --delay 20 -- "$2"
    xdotool key Return
}
start_settings() {
    "$tarvolin" 2>>"$work/tarvolin.err" &
    copy_pid=$!
    copies="$copies $copy_pid"
    tarvo_wait_for 20 count_is "$copy_pid" 1 || { echo "FAILED: no settings window"; exit 1; }
    sleep 0.5
}
start_settings
first=$copy_pid
add_in "$first" zzq
# Its note: the settings window and the box.
tarvo_wait_for 10 sh -c "grep -q '=zzq' '$XDG_CONFIG_HOME/tarvolin/Settings.ini' 2>/dev/null"
sleep 1
check "the first copy shows its note" "2" "$(visible_windows "$first" | wc -l)"
start_settings
second=$copy_pid
add_in "$second" zzr
tarvo_wait_for 1 sh -c "grep -q '=zzr' '$XDG_CONFIG_HOME/tarvolin/Settings.ini' 2>/dev/null"
check "the second copy adds while the first one's note is up" \
    "$(printf '[ASSOCIATION]\r\n0=zzq\r\n1=zzr\r\n')" \
    "$(cat "$XDG_CONFIG_HOME/tarvolin/Settings.ini" 2>/dev/null)"
# shellcheck disable=SC2086 # $copies is a list of PIDs
tarvo_end $copies
copies=

# 4. Removing every association ends at once without a window, even without a display.
env -u DISPLAY timeout 10 "$tarvolin" --unregister-all
check "--unregister-all without a display" "0" "$?"

# 5. An entry it cannot remove (an actions file that cannot be read: here a folder in its
# place) is named on standard error, and the exit code says so.
uca="$XDG_CONFIG_HOME/Thunar/uca.xml"
[ -e "$uca" ] && mv "$uca" "$work/uca.xml.kept"
mkdir -p "$uca"
env -u DISPLAY timeout 10 "$tarvolin" --unregister-all 2>"$work/unregister.err"
check "--unregister-all with an unreadable uca.xml" "1" "$?"
check "--unregister-all names it" \
    "tarvolin: could not remove Tarvolin's entries from $uca" "$(cat "$work/unregister.err")"
rmdir "$uca"

[ "$failures" -eq 0 ] && echo "all end-to-end checks passed"
[ "$failures" -eq 0 ]
