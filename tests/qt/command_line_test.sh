#!/usr/bin/env bash
# tarvolin's command line, on the real program: --help and --version print on standard output
# and end with 0 without a display; an unknown option prints usage on standard error and ends
# with 2; "--" ends the options, so a file named "--help" opens in the dialog (on a private
# Xvfb, where Enter runs it).
# Usage: command_line_test.sh PATH/TO/tarvolin VERSION
set -uo pipefail
tarvolin=$(realpath "$1")
version=$2
# shellcheck source=../../scripts/desktop-env.sh
source "$(dirname "$0")/../../scripts/desktop-env.sh"
work=$(mktemp -d)
app_pid=
cleanup() {
    tarvo_end "$app_pid" "$tarvo_xvfb_pid"
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
# Runs tarvolin without any display: prints its exit code; its output goes to out and err.
run_bare() {
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_CONFIG_HOME="$work/config" \
        XDG_STATE_HOME="$work/state" timeout 10 "$tarvolin" "$@" >"$work/out" 2>"$work/err"
    echo $?
}

check "--version: exit code" 0 "$(run_bare --version)"
check "--version: the version on standard output" "tarvolin $version" "$(cat "$work/out")"
check "--version: nothing on standard error" "" "$(cat "$work/err")"

for option in --help -h; do
    check "$option: exit code" 0 "$(run_bare "$option")"
    check "$option: usage on standard output" "Usage: tarvolin [--] FILE" "$(head -n1 "$work/out")"
    check "$option: nothing on standard error" "" "$(cat "$work/err")"
done
for mode in "tarvolin FILE" "  tarvolin   " "--unregister-all" "--if-listed FILE" "--version"; do
    check "--help names $mode" yes "$(grep -qF -- "$mode" "$work/out" && echo yes || echo no)"
done

for bad in --bogus "-x a.sh" "--if-listed" "--unregister-all a.sh"; do
    # shellcheck disable=SC2086 # the words of $bad are separate arguments
    check "$bad: exit code 2" 2 "$(run_bare $bad)"
    check "$bad: nothing on standard output" "" "$(cat "$work/out")"
    check "$bad: usage on standard error" yes \
        "$(grep -q '^Usage: tarvolin' "$work/err" && echo yes || echo no)"
done
check "an unknown option is named" "tarvolin: unknown option '--bogus'" \
    "$(run_bare --bogus >/dev/null; head -n1 "$work/err")"

# A file to open but no display: a clear message and exit code 1, not Qt's abort.
touch "$work/a.sh"
check "a file without a display: exit code 1" 1 "$(run_bare "$work/a.sh")"
check "a file without a display: says so" "tarvolin: no display to show its window on (neither DISPLAY nor WAYLAND_DISPLAY is set)" "$(cat "$work/err")"

# "--" ends the options: a script named "--help" opens in the dialog, and Enter runs it.
tarvo_xvfb_up "$work" 1024x768x24 || exit 1
mkdir "$work/dir"
printf '#!/bin/sh\necho "$@" >"%s/ran"\n' "$work" >"$work/dir/--help"
chmod +x "$work/dir/--help"
(cd "$work/dir" && XDG_CONFIG_HOME="$work/config" \
    XDG_STATE_HOME="$work/state" exec "$tarvolin" -- --help >"$work/out" 2>"$work/err") &
app_pid=$!
if tarvo_wait_for 20 sh -c "xdotool search --name '^Tarvolin\$' >/dev/null 2>&1"; then
    sleep 0.5
    xdotool type --delay 40 -- 'one'
    xdotool key Return
    tarvo_wait_for 10 test -f "$work/ran"
else
    echo "no dialog"; cat "$work/err"
fi
check "-- --help: the file named --help ran" "one" "$(cat "$work/ran" 2>/dev/null)"
check "-- --help: no usage printed" "" "$(cat "$work/out")"
check "-- --help: its history" "[--help]" \
    "$(head -n1 "$work/state/tarvolin/MRU.INI" 2>/dev/null | tr -d '\r')"

[ "$failures" -eq 0 ] && echo "all command-line checks passed"
[ "$failures" -eq 0 ]
