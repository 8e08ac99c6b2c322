#!/usr/bin/env bash
# Where Tarvo.exe's start goes. Builds it with its start-up marks (CMake option
# TARVO_STARTUP_TRACE), starts it STARTS times under Wine, taking turns with the minimal dialog
# as the start-up benchmark does, and prints the median of each mark: the time since the process
# was created and the time since the mark before. Then two starts of each program with Wine's
# timestamped loader trace: every DLL loaded before the window closes, and how long the loading
# and the DLLs' initialisation took.
#
#   bash scripts/trace-startup.sh [STARTS]      (default 15)
#
# TARVO_TRACE_BEFORE names an older Tarvo.exe built with the same marks: it then takes turns with
# the new one instead of the minimal dialog, so that the two breakdowns come from the same
# minutes of a shared machine, and it is traced by the loader too.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
starts=${1:-15}
tree=build/trace

# shellcheck source=packages.sh
source scripts/packages.sh
tarvo_install_missing cmake make g++-mingw-w64-x86-64-posix wine wine64 fonts-wine xvfb xauth ||
    exit 1

echo "== building (Release, with the start-up marks)"
cmake -S . -B "$tree" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DTARVO_STARTUP_TRACE=ON >/dev/null || exit 1
cmake --build "$tree" -j "$(nproc)" --target Tarvo minimal_dialog startup_timer \
    >"$tree/build.log" 2>&1 || { cat "$tree/build.log"; exit 1; }

# shellcheck source=wine-env.sh
source scripts/wine-env.sh
tarvo_wine_up "${TARVO_WINE_MODE:-xvfb}" || exit 1

folder="$WINEPREFIX/drive_c/Bench"
mkdir -p "$folder"
cp "$tree/Tarvo.exe" "$folder/Tarvo.exe"
other=('C:\Bench\minimal_dialog.exe')
if [ -n "${TARVO_TRACE_BEFORE:-}" ]; then
    cp "$TARVO_TRACE_BEFORE" "$folder/Tarvo-before.exe"
    other=('C:\Bench\Tarvo-before.exe' 'C:\Bench\hello.bat')
fi
cp "$tree/minimal_dialog.exe" "$tree/startup_timer.exe" "$folder/"
cp docs/sample/hello.bat "$folder/"
timer() { timeout -k 10 600 wine 'C:\Bench\startup_timer.exe' "$@" 2>&1 | tr -d '\r'; }

timer 1 2 'C:\Bench\minimal_dialog.exe' -- 'C:\Bench\Tarvo.exe' 'C:\Bench\hello.bat' >/dev/null
echo "== $starts starts, taking turns"
TARVO_STARTUP_LOG='C:\Bench\marks.log' timer 1 "$starts" "${other[@]}" -- \
    'C:\Bench\Tarvo.exe' 'C:\Bench\hello.bat' | grep -v ', start '
if [ ! -s "$folder/marks.log" ]; then
    echo "no marks were written"
    exit 1
fi
for program in Tarvo-before.exe Tarvo.exe; do
    grep -qF "\\$program" "$folder/marks.log" || continue
    echo "== $program: marks, medians of $starts starts (ms)"
    printf '%11s %10s  %s\n' "since start" "step" "what just ended"
    tr -d '\r' <"$folder/marks.log" | awk -v program="$program" '
    function median(list,   n, v, i, j, t) {
        n = split(list, v, " ")
        for (i = 2; i <= n; i++) for (j = i; j > 1 && v[j - 1] + 0 > v[j] + 0; j--) {
            t = v[j]; v[j] = v[j - 1]; v[j - 1] = t
        }
        return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
    }
    /^# / { mine = substr($0, length($0) - length(program) + 1) == program \
                   && substr($0, length($0) - length(program), 1) == "\\"; next }
    mine {
        what = $0; sub(/^[^ ]+ [^ ]+ /, "", what)
        if (!(what in since)) order[++count] = what
        since[what] = since[what] " " $1
        step[what] = step[what] " " $2
    }
    END {
        for (i = 1; i <= count; i++)
            printf "%11.1f %10.1f  %s\n", median(since[order[i]]), median(step[order[i]]), order[i]
    }'
done

# Two starts of each program with Wine's loader trace (which slows every step, so compare the
# two programs, not these times with the ones above); the second start of each is shown: each
# DLL loaded, when, and how long its initialisation took, until the window is closed.
: >"$TARVO_WINE_TMP/loader.trace"
traced=(minimal_dialog.exe Tarvo.exe)
[ -n "${TARVO_TRACE_BEFORE:-}" ] && traced=(minimal_dialog.exe Tarvo-before.exe Tarvo.exe)
for program in "${traced[@]}"; do
    arguments=()
    [ "$program" != minimal_dialog.exe ] && arguments=('C:\Bench\hello.bat')
    WINEDEBUG=+pid,+timestamp,+loaddll,+module timeout -k 10 600 wine \
        'C:\Bench\startup_timer.exe' 1 1 'C:\Bench\minimal_dialog.exe' -- \
        "C:\\Bench\\$program" "${arguments[@]}" >/dev/null 2>>"$TARVO_WINE_TMP/loader.trace"
done
for program in "${traced[@]}"; do
    echo "== $program under the loader trace (ms since the process's first trace line)"
    tr -d '\r' <"$TARVO_WINE_TMP/loader.trace" | awk -F: -v program="$program" '
        # Lines: seconds.ms:pid:tid:trace:channel:function text
        function dll(text) { sub(/^.*\\/, "", text); sub(/".*$/, "", text); return text }
        $0 ~ "Loaded L\".*\\\\" program "\"" { pid = $2 }
        { line[NR] = $0; owner[NR] = $2; at[NR] = $1 }
        END {
            for (i = 1; i <= NR; i++) if (owner[i] == pid) { origin = at[i]; break }
            for (i = 1; i <= NR; i++) {
                if (owner[i] != pid) continue
                t = (at[i] - origin) * 1000
                if (line[i] ~ /loaddll:build_module Loaded/) {
                    name = dll(line[i]); loads++
                    printf "%8.1f  loaded %s\n", t, name
                } else if (line[i] ~ /MODULE_InitDLL \([0-9A-F]+ L".*PROCESS_ATTACH.* - CALL/) {
                    split(line[i], f, "L\""); split(f[2], g, "\""); name = g[1]
                    split(line[i], h, "("); split(h[2], a, " "); base[a[1]] = name; begun[a[1]] = t
                } else if (line[i] ~ /MODULE_InitDLL \([0-9A-F]+,PROCESS_ATTACH.* - RETURN/) {
                    split(line[i], h, "("); split(h[2], a, ","); took = t - begun[a[1]]
                    if (took >= 1) printf "%8.1f  initialised %s (%.1f ms)\n", t, base[a[1]], took
                    if (line[i] !~ /,0000000000000000\)/) statics = t
                } else if (line[i] ~ /PROCESS_DETACH/) {
                    break
                }
            }
            printf "%d DLLs (with the program); those it imports loaded and initialised after %.1f ms\n",
                loads, statics
        }'
done
