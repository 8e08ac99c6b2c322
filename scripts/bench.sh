#!/usr/bin/env bash
# Runs the profile-engine benchmarks: natively (Google Benchmark) and under Wine against the
# platform's own profile functions, and prints the machine they ran on. BENCHMARKS.md holds
# the published figures.
#
#   scripts/bench.sh [records...]      (Windows benchmark sizes; default 100 10000 100000)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=build/proof-bench
win=build/proof-win64

# shellcheck source=packages.sh
source scripts/packages.sh
tarvo_install_missing cmake make g++ libbenchmark-dev g++-mingw-w64-x86-64-posix wine wine64

echo "== machine"
echo "nproc: $(nproc)"
lscpu | head -n 15
free -h | head -n 2
echo "wine: $(wine --version 2>/dev/null)"
echo "MRU.INI folder: $(df -T /tmp | awk 'NR==2 {print $2}') ($(df /tmp | awk 'NR==2 {print $1}'))"

echo "== native: load (21 reads, one snapshot) and OK (21 writes, one commit)"
# GCC 12 reports false -Wrestrict warnings on std::string concatenation at -O2 (GCC PR 105329).
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTARVO_BENCHMARKS=ON -DTARVO_TESTS=OFF -DTARVO_QT=OFF \
    -DCMAKE_CXX_FLAGS=-Wno-restrict >/dev/null
cmake --build "$build" -j 2 --target tarvo_profile_bench >"$build/bench-build.log" 2>&1 ||
    { cat "$build/bench-build.log"; exit 1; }
"$build/bench/tarvo_profile_bench" --benchmark_min_time=1 2>&1 | grep -v "^\*\*\*WARNING"

echo "== Windows under Wine: our engine against GetPrivateProfileStringW/WritePrivateProfileStringW"
mkdir -p "$win"
x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -Wall -Wextra -Wno-restrict -municode -static \
    -DUNICODE -D_UNICODE -DWIN32_LEAN_AND_MEAN -DNOMINMAX -D_WIN32_WINNT=0x0A00 \
    -Isrc -Ibench bench/win32/profile_bench.cpp src/storage/*.cpp src/common/*.cpp \
    src/platform/win32/*.cpp -lole32 -lshell32 -luuid -o "$win/profile_bench.exe"

# A throw-away prefix for this run only, ended by its own wineserver -k.
export WINEPREFIX
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/tarvo-bench-wine.XXXXXX")
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
unset DISPLAY
cleanup() {
    timeout -k 5 30 wineserver -k >/dev/null 2>&1 || true
    timeout -k 5 30 wineserver -w >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
timeout -k 10 300 wineboot -i >/dev/null 2>&1
timeout -k 10 120 wineserver -w
timeout -k 10 30 wineserver -p
# The first process of a server session starts Wine's services, which inherit its output.
timeout -k 10 60 wine cmd.exe /c exit >/dev/null 2>&1
timeout -k 10 3600 wine "$root/$win/profile_bench.exe" "$@" 2>/dev/null
