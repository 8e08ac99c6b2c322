#!/usr/bin/env bash
# Builds the native unit tests with AddressSanitizer and UndefinedBehaviorSanitizer in
# build/sanitize and runs them with CTest. Uses clang when present, else gcc.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/sanitize

need=(cmake make libgtest-dev)
if ! command -v clang++ >/dev/null 2>&1; then
    command -v g++ >/dev/null 2>&1 || need+=(clang libclang-rt-14-dev)
elif ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.asan-x86_64.a >/dev/null 2>&1; then
    need+=(libclang-rt-14-dev)
fi
# shellcheck source=packages.sh
source scripts/packages.sh
tarvo_install_missing "${need[@]}"
cxx=g++
command -v clang++ >/dev/null 2>&1 && cxx=clang++

CXX=$cxx cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DTARVO_SANITIZE=ON -DTARVO_QT=OFF >/dev/null
cmake --build "$build" -j 2 >"$build/build.log" 2>&1 || { cat "$build/build.log"; exit 1; }
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
if ctest --test-dir "$build" -j 2 --output-on-failure >"$build/ctest.log" 2>&1; then
    echo "sanitized unit tests ($cxx): $(grep -Eo '[0-9]+ tests passed.*|100% tests passed.*' "$build/ctest.log" | tail -1)"
else
    grep -E "Failed|\*\*\*|ERROR: AddressSanitizer|runtime error" "$build/ctest.log" | head -20
    echo "sanitized unit tests ($cxx): FAILED (log: $build/ctest.log)"
    exit 1
fi
