#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer)
# and runs each for a while from its committed seed corpus. Exits non-zero on a finding.
#
#   scripts/fuzz.sh            # short run: 20 s per target
#   scripts/fuzz.sh 3600       # long run: an hour per target
#
# New inputs go to build/proof-fuzz/corpus/<target> (not committed); a crashing input is
# saved as build/proof-fuzz/<target>-crash-* and can be replayed with
#   build/proof-fuzz/fuzz/<target> build/proof-fuzz/<target>-crash-...
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
build=build/proof-fuzz

need=()
command -v clang++ >/dev/null 2>&1 || need+=(clang)
ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 ||
    need+=(libclang-rt-14-dev)
command -v cmake >/dev/null 2>&1 || need+=(cmake make)
# shellcheck source=packages.sh
source scripts/packages.sh
tarvo_install_missing "${need[@]}"

CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVO_FUZZ=ON -DTARVO_QT=OFF \
    -DTARVO_TESTS=OFF >/dev/null
targets="profile_fuzzer command_line_fuzzer thunar_actions_fuzzer mime_database_fuzzer
    desktop_entry_fuzzer"
# shellcheck disable=SC2086
cmake --build "$build" -j 2 --target $targets >"$build/build.log" 2>&1 ||
    { cat "$build/build.log"; exit 1; }

status=0
for target in $targets; do
    seeds=fuzz/corpus/${target%_fuzzer}
    corpus=$build/corpus/$target
    mkdir -p "$corpus"
    log=$build/$target.log
    if "$build/fuzz/$target" "$corpus" "$seeds" -max_total_time="$seconds" -max_len=8192 \
        -artifact_prefix="$build/$target-crash-" -print_final_stats=1 >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        echo "$target: clean, ${runs:-?} inputs in ${seconds} s"
    else
        echo "$target: FAILED (log: $log)"
        grep -E "ERROR|SUMMARY|runtime error|deadly signal" "$log" | head -5
        status=1
    fi
done
exit $status
