#!/usr/bin/env bash
# Kills a process that keeps pressing OK at random moments, 1000 times by default, and counts
# the MRU.INI files left as anything but the content of complete presses (must print 0).
#
#   scripts/stress-crash.sh [rounds] [records]
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/proof-bench
# shellcheck source=packages.sh
source scripts/packages.sh
tarvo_install_missing cmake make g++ libbenchmark-dev
# GCC 12 reports false -Wrestrict warnings on std::string concatenation at -O2 (GCC PR 105329).
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTARVO_BENCHMARKS=ON -DTARVO_TESTS=OFF -DTARVO_QT=OFF \
    -DCMAKE_CXX_FLAGS=-Wno-restrict >/dev/null
cmake --build "$build" -j 2 --target tarvo_crash_stress >"$build/stress-build.log" 2>&1 ||
    { cat "$build/stress-build.log"; exit 1; }
"$build/bench/tarvo_crash_stress" "${1:-1000}" "${2:-200}"
