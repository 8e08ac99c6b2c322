#!/usr/bin/env bash
# Builds everything from scratch and runs every test: the native unit tests (also under the
# sanitizers, and a short fuzz run) with tarvolin's widget tests (offscreen), its end-to-end
# test (Xvfb, xdotool, xterm) and its entries in the real file managers (Xvfb, openbox, AT-SPI), the Debian package's check (built, installed, a user's menus
# made and removed, removed), then the Windows build and its tests under Wine, which include
# building the release into dist/ and installing it. Installs what it needs with apt-get when
# missing.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

# shellcheck source=packages.sh
source scripts/packages.sh
tarvo_install_missing cmake g++ make libgtest-dev qt6-base-dev xterm xdotool \
    g++-mingw-w64-x86-64-posix wine wine64 fonts-wine xvfb xauth nsis python3 python3-yaml \
    python3-pyatspi at-spi2-core dbus-x11 dbus-daemon || exit 1
# The file managers whose menus their end-to-end test opens, and the window manager it runs
# them under (it reads the menus over the accessibility bus installed above).
tarvo_install_missing thunar nemo dolphin nautilus python3-nautilus caja caja-actions pcmanfm-qt \
    openbox || exit 1

jobs=$(nproc)
logs=$(mktemp -d)
cleanup() {
    if declare -F tarvo_wine_down >/dev/null; then tarvo_wine_down; fi
    rm -rf "$logs"
}
trap cleanup EXIT

echo "== native build: unit tests, tarvolin's widget and end-to-end tests"
native_rc=0
rm -rf build/host
if cmake -S . -B build/host -DCMAKE_BUILD_TYPE=Debug >/dev/null &&
    cmake --build build/host -j "$jobs"; then
    ctest --test-dir build/host --output-on-failure -j "$jobs" --timeout 300 2>&1 | tee "$logs/host"
    native_rc=${PIPESTATUS[0]}
else
    echo "native build failed"
    native_rc=1
fi

echo "== native unit tests under AddressSanitizer and UndefinedBehaviorSanitizer, short fuzz run"
proof_rc=0
bash scripts/test-sanitize.sh || proof_rc=1
bash scripts/fuzz.sh "${TARVO_FUZZ_SECONDS:-15}" || proof_rc=1

echo "== Debian package: build, install, a user's menus made and removed, removal"
deb_rc=0
bash scripts/check-deb.sh || deb_rc=1

echo "== Windows build (MinGW-w64)"
win_rc=0
rm -rf build/win64
if cmake -S . -B build/win64 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null &&
    cmake --build build/win64 -j "$jobs"; then
    echo "== Windows tests under Wine"
    # shellcheck source=wine-env.sh
    source scripts/wine-env.sh
    tarvo_wine_up "${TARVO_WINE_MODE:-xvfb}"
    up_rc=$?
    trap cleanup EXIT
    if [ "$up_rc" -eq 0 ]; then
        ctest --test-dir build/win64 --output-on-failure -j "$jobs" --timeout 600 2>&1 |
            tee "$logs/win64"
        win_rc=${PIPESTATUS[0]}
    else
        echo "the Wine environment could not be set up"
        win_rc=1
    fi
    tarvo_wine_down
else
    echo "Windows build failed"
    win_rc=1
fi

# One closing count over both trees, from CTest's own summary lines.
passed=0
failed=0
for tree in host win64; do
    line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$logs/$tree" 2>/dev/null | tail -1)
    echo "$tree: ${line:-no tests run}"
    if [ -n "$line" ]; then
        f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
        t=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
        passed=$((passed + t - f))
        failed=$((failed + f))
    fi
done
if [ "$native_rc" -ne 0 ] || [ "$win_rc" -ne 0 ] || [ "$proof_rc" -ne 0 ] ||
    [ "$deb_rc" -ne 0 ]; then
    [ "$failed" -eq 0 ] && failed=1
fi
echo "$passed passed, $failed failed"
[ "$native_rc" -eq 0 ] && [ "$win_rc" -eq 0 ] && [ "$proof_rc" -eq 0 ]
