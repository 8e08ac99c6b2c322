#!/usr/bin/env bash
# Start-up benchmark: time from process start to the dialog accepting input, Tarvo.exe against
# a minimal Win32 dialog built the same way, under the same Wine; medians and their ratio, then
# Tarvo.exe's size and DLL imports. Not a test: it prints figures and fails only if a run fails.
#
#   bash scripts/bench-startup.sh [RUNS]      (default 15 runs of each, after 2 warm-up runs)
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
runs=${1:-15}

# shellcheck source=packages.sh
source scripts/packages.sh
tarvo_install_missing cmake make g++-mingw-w64-x86-64-posix wine wine64 fonts-wine xvfb xauth ||
    exit 1

echo "== building (Release)"
cmake -S . -B build/bench -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null || exit 1
cmake --build build/bench -j "$(nproc)" --target Tarvo minimal_dialog startup_timer \
    >build/bench/build.log 2>&1 || { cat build/bench/build.log; exit 1; }

# shellcheck source=wine-env.sh
source scripts/wine-env.sh
tarvo_wine_up "${TARVO_WINE_MODE:-xvfb}" || exit 1

# Both programs start from the same writable folder of the prefix; Tarvo.exe opens its dialog
# on a file there (no history yet, as on a first use).
folder="$WINEPREFIX/drive_c/Bench"
mkdir -p "$folder"
cp build/bench/Tarvo.exe build/bench/minimal_dialog.exe build/bench/startup_timer.exe "$folder/"
cp docs/sample/hello.bat "$folder/"
timer() { timeout -k 10 600 wine 'C:\Bench\startup_timer.exe' "$@" 2>&1 | tr -d '\r'; }

timer 2 'C:\Bench\minimal_dialog.exe' >/dev/null
timer 2 'C:\Bench\Tarvo.exe' 'C:\Bench\hello.bat' >/dev/null
echo "== minimal dialog, $runs runs"
minimal=$(timer "$runs" 'C:\Bench\minimal_dialog.exe')
echo "$minimal" | tail -1
echo "== Tarvo.exe, $runs runs"
tarvo=$(timer "$runs" 'C:\Bench\Tarvo.exe' 'C:\Bench\hello.bat')
echo "$tarvo" | tail -1

m=$(echo "$minimal" | sed -n 's/^median: \([0-9.]*\) ms$/\1/p')
t=$(echo "$tarvo" | sed -n 's/^median: \([0-9.]*\) ms$/\1/p')
if [ -z "$m" ] || [ -z "$t" ]; then
    echo "a run failed:"
    echo "$minimal"
    echo "$tarvo"
    exit 1
fi
echo "== start-up to input, medians: minimal $m ms, Tarvo.exe $t ms, ratio $(awk "BEGIN{printf \"%.2f\", $t/$m}")"
echo "== Tarvo.exe: $(stat -c %s build/bench/Tarvo.exe) bytes; imports:"
x86_64-w64-mingw32-objdump -p build/bench/Tarvo.exe | grep 'DLL Name' | sed 's/^\s*/  /'
