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
[ -n "${TARVO_TEST_DRY_RUN:-}" ] ||
    tarvo_install_missing cmake g++ make libgtest-dev qt6-base-dev xterm xdotool \
        g++-mingw-w64-x86-64-posix wine wine64 fonts-wine xvfb xauth nsis python3 python3-yaml \
        python3-pyatspi at-spi2-core dbus-x11 dbus-daemon osslsigncode openssl unzip || exit 1
# The file managers whose menus their end-to-end test opens, and the window manager it runs
# them under (it reads the menus over the accessibility bus installed above).
[ -n "${TARVO_TEST_DRY_RUN:-}" ] ||
    tarvo_install_missing thunar nemo dolphin nautilus python3-nautilus caja caja-actions \
        pcmanfm-qt openbox || exit 1
# The tools whose answers the "Open With" test compares: GIO's, xdg-mime's and KDE's default.
[ -n "${TARVO_TEST_DRY_RUN:-}" ] ||
    tarvo_install_missing libglib2.0-bin xdg-utils kde-cli-tools libkf5service-bin || exit 1

jobs=$(nproc)
logs=$(mktemp -d)
cleanup() {
    if declare -F tarvo_wine_down >/dev/null; then tarvo_wine_down; fi
    rm -rf "$logs"
}
trap cleanup EXIT

# Each step is a function; tarvo_step runs it and records its status, and the closing
# summary fails the command when any recorded step failed.
# shellcheck source=test-steps.sh
source scripts/test-steps.sh

step_native() {
    echo "== native build: unit tests, tarvolin's widget and end-to-end tests"
    rm -rf build/host
    if cmake -S . -B build/host -DCMAKE_BUILD_TYPE=Debug >/dev/null &&
        cmake --build build/host -j "$jobs"; then
        ctest --test-dir build/host --output-on-failure -j "$jobs" --timeout 300 2>&1 |
            tee "$logs/host"
        return "${PIPESTATUS[0]}"
    fi
    echo "native build failed"
    return 1
}

step_sanitize() {
    echo "== native unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
    bash scripts/test-sanitize.sh
}

step_fuzz() {
    echo "== short fuzz run"
    bash scripts/fuzz.sh "${TARVO_FUZZ_SECONDS:-15}"
}

step_deb() {
    echo "== Debian package: build, install, a user's menus made and removed, removal"
    bash scripts/check-deb.sh
}

step_windows() {
    echo "== Windows build (MinGW-w64)"
    rm -rf build/win64
    if ! cmake -S . -B build/win64 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" \
            -DCMAKE_BUILD_TYPE=Release >/dev/null ||
        ! cmake --build build/win64 -j "$jobs"; then
        echo "Windows build failed"
        return 1
    fi
    echo "== Windows tests under Wine"
    # shellcheck source=wine-env.sh
    source scripts/wine-env.sh
    local rc=1
    if tarvo_wine_up "${TARVO_WINE_MODE:-xvfb}"; then
        trap cleanup EXIT
        ctest --test-dir build/win64 --output-on-failure -j "$jobs" --timeout 600 2>&1 |
            tee "$logs/win64"
        rc=${PIPESTATUS[0]}
    else
        trap cleanup EXIT
        echo "the Wine environment could not be set up"
    fi
    tarvo_wine_down
    return "$rc"
}

tarvo_step native step_native
tarvo_step sanitize step_sanitize
tarvo_step fuzz step_fuzz
tarvo_step deb step_deb
tarvo_step windows step_windows

# One closing count over both trees, from CTest's own summary lines; non-zero when any step
# failed.
tarvo_summary "$logs" host win64
