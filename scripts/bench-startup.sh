#!/usr/bin/env bash
# Start-up benchmark: time from process start to the dialog accepting input, Tarvo.exe against
# a minimal Win32 dialog built the same way, under the same Wine. The two programs alternate
# (minimal, Tarvo.exe, minimal, ...) in rounds within this one run; each round gives the ratio
# of the two medians and the figure is the median of the rounds' ratios, which a busy machine
# disturbs far less than single times. Then Tarvo.exe's size and DLL imports. Not a test: it
# prints figures and fails only if a run fails.
#
#   bash scripts/bench-startup.sh [ROUNDS [STARTS]]   (default 7 rounds of 5 starts of each,
#                                                       after one warm-up round)
#
# TARVO_BENCH_TREE names the build tree (default build/bench); TARVO_BENCH_EXE times another
# Tarvo.exe (an older build, say) against the same minimal dialog.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
rounds=${1:-7}
starts=${2:-5}
tree=${TARVO_BENCH_TREE:-build/bench}

# shellcheck source=packages.sh
source scripts/packages.sh
tarvo_install_missing cmake make g++-mingw-w64-x86-64-posix wine wine64 fonts-wine xvfb xauth ||
    exit 1

echo "== building (Release)"
cmake -S . -B "$tree" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null || exit 1
cmake --build "$tree" -j "$(nproc)" --target Tarvo minimal_dialog startup_timer \
    >"$tree/build.log" 2>&1 || { cat "$tree/build.log"; exit 1; }

# shellcheck source=wine-env.sh
source scripts/wine-env.sh
tarvo_wine_up "${TARVO_WINE_MODE:-xvfb}" || exit 1

# Both programs start from the same writable folder of the prefix; Tarvo.exe opens its dialog
# on a file there (no history yet, as on a first use).
folder="$WINEPREFIX/drive_c/Bench"
mkdir -p "$folder"
exe=${TARVO_BENCH_EXE:-$tree/Tarvo.exe}
cp "$exe" "$folder/Tarvo.exe"
cp "$tree/minimal_dialog.exe" "$tree/startup_timer.exe" "$folder/"
cp docs/sample/hello.bat "$folder/"
timer() { timeout -k 10 600 wine 'C:\Bench\startup_timer.exe' "$@" 2>&1 | tr -d '\r'; }

echo "== warm-up"
timer 1 2 'C:\Bench\minimal_dialog.exe' -- 'C:\Bench\Tarvo.exe' 'C:\Bench\hello.bat' >/dev/null
echo "== $rounds rounds of $starts starts each, alternating"
result=$(timer "$rounds" "$starts" 'C:\Bench\minimal_dialog.exe' -- 'C:\Bench\Tarvo.exe' 'C:\Bench\hello.bat')
status=$?
echo "$result" | grep -v '^round [0-9]*, start'
if [ $status -ne 0 ] || ! echo "$result" | grep -q '^median ratio'; then
    echo "a run failed:"
    echo "$result"
    exit 1
fi
size=$(stat -c %s "$exe")
echo "== Tarvo.exe: $size bytes ($(awk "BEGIN{printf \"%.2f\", $size/1048576}") MiB); imports:"
x86_64-w64-mingw32-objdump -p "$exe" | grep 'DLL Name' | sed 's/^\s*/  /'
