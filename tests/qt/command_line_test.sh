#!/usr/bin/env bash
# tarvolin's command line, on the real program: --help and --version print on standard output
# and end with 0 without a display; an unknown option prints usage on standard error and ends
# with 2; "--" ends the options, so a file named "--help" opens in the dialog (on a private
# Xvfb, where Enter runs it).
# Usage: command_line_test.sh PATH/TO/tarvolin VERSION
set -uo pipefail
tarvolin=$(realpath "$1")
version=$2
work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
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
wait_for() {  # wait_for SECONDS COMMAND...
    local end=$((SECONDS + $1))
    shift
    until "$@"; do
        [ $SECONDS -ge $end ] && return 1
        sleep 0.1
    done
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

# "--" ends the options: a script named "--help" opens in the dialog, and Enter runs it.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
wait_for 10 test -s "$work/display" || { echo "Xvfb did not start"; exit 1; }
mkdir "$work/dir"
printf '#!/bin/sh\necho "$@" >"%s/ran"\n' "$work" >"$work/dir/--help"
chmod +x "$work/dir/--help"
(cd "$work/dir" && DISPLAY=":$(head -n1 "$work/display")" XDG_CONFIG_HOME="$work/config" \
    XDG_STATE_HOME="$work/state" exec "$tarvolin" -- --help >"$work/out" 2>"$work/err") &
app_pid=$!
export DISPLAY=":$(head -n1 "$work/display")"
if wait_for 20 sh -c "xdotool search --name '^Tarvolin\$' >/dev/null 2>&1"; then
    sleep 0.5
    xdotool type --delay 40 -- 'one'
    xdotool key Return
    wait_for 10 test -f "$work/ran"
else
    echo "no dialog"; cat "$work/err"
fi
check "-- --help: the file named --help ran" "one" "$(cat "$work/ran" 2>/dev/null)"
check "-- --help: no usage printed" "" "$(cat "$work/out")"
check "-- --help: its history" "[--help]" \
    "$(head -n1 "$work/state/tarvolin/MRU.INI" 2>/dev/null | tr -d '\r')"

[ "$failures" -eq 0 ] && echo "all command-line checks passed"
[ "$failures" -eq 0 ]
