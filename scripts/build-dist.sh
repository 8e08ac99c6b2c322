#!/usr/bin/env bash
# Builds the Windows release into dist/: Tarvo.exe in Release, the installer
# Tarvolin-<version>-setup.exe, the portable zip, SHA256SUMS, in dist/winget/ the winget
# manifest set with the setup's SHA-256 and in dist/scoop/ the Scoop manifest with the zip's.
# The version is CMakeLists.txt's, the release notes come from CHANGELOG.md. Two runs on one
# commit give the same bytes: every date inside the packages is the commit's
# (SOURCE_DATE_EPOCH), and the build leaves no time or folder in Tarvo.exe.
#
#   bash scripts/build-dist.sh [--build-dir DIR] [--out DIR]
#
# --build-dir: the Windows build tree to build Tarvo.exe in (default build/dist; an existing
# Release tree such as build/win64 is reused as it is). --out: where the packages go (dist).
#
# Signing: with TARVO_SIGN_PFX set (a PKCS#12 file with the code-signing certificate and its
# key; TARVO_SIGN_PASSWORD, TARVO_SIGN_TIMESTAMP_URL and TARVO_SIGN_TIME as in
# scripts/sign-windows.sh), Tarvo.exe, the uninstaller and the setup are signed with
# Authenticode. Without it the release is unsigned.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

build=build/dist
out=dist
while [ $# -gt 0 ]; do
    case "$1" in
        --build-dir) build=$2; shift 2 ;;
        --out) out=$2; shift 2 ;;
        *) echo "usage: $0 [--build-dir DIR] [--out DIR]" >&2; exit 2 ;;
    esac
done
case "$build" in /*) ;; *) build="$root/$build" ;; esac
case "$out" in /*) ;; *) out="$root/$out" ;; esac

# shellcheck source=packages.sh
source scripts/packages.sh
tarvo_install_missing cmake make g++-mingw-w64-x86-64-posix nsis python3 python3-yaml
if [ -n "${TARVO_SIGN_PFX:-}" ]; then
    tarvo_install_missing osslsigncode
    [ -f "$TARVO_SIGN_PFX" ] || { echo "TARVO_SIGN_PFX: no file $TARVO_SIGN_PFX" >&2; exit 1; }
fi

version=$(python3 scripts/release-files.py version)
# The release notes must exist before anything is built.
python3 scripts/release-files.py check >/dev/null || {
    python3 scripts/release-files.py check >&2
    exit 1
}
# One date for every file in the packages: the commit's. makensis and the zip both read it.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || echo 315532800)
fi
export SOURCE_DATE_EPOCH

echo "== Tarvo.exe (Release) in $build"
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DTARVO_TESTS=OFF >/dev/null
fi
if ! grep -qx 'CMAKE_BUILD_TYPE:STRING=Release' "$build/CMakeCache.txt"; then
    echo "$build is not a Release tree" >&2
    exit 1
fi
cmake --build "$build" --target Tarvo -j "$(nproc)" >/dev/null

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
setup="Tarvolin-$version-setup.exe"
portable="Tarvolin-$version-portable.zip"

exe="$build/Tarvo.exe"
nsis_sign=()
if [ -n "${TARVO_SIGN_PFX:-}" ]; then
    echo "== signing Tarvo.exe"
    cp "$build/Tarvo.exe" "$stage/Tarvo.exe"
    exe="$stage/Tarvo.exe"
    bash scripts/sign-windows.sh "$exe"
    nsis_sign=(-DTARVO_SIGN="bash '$root/scripts/sign-windows.sh'")
fi

echo "== $setup"
makensis -V2 -DTARVO_EXE="$exe" -DOUTFILE="$stage/$setup" -DPRODUCT_VERSION="$version" \
    "${nsis_sign[@]}" packaging/windows/tarvolin.nsi
if [ -n "${TARVO_SIGN_PFX:-}" ]; then
    echo "== signing $setup"
    bash scripts/sign-windows.sh "$stage/$setup"
fi

echo "== $portable"
python3 scripts/release-files.py fill packaging/windows/portable.txt "$stage/portable.txt"
python3 - "$exe" "$stage/portable.txt" "$stage/$portable" LICENSE <<'EOF'
# The portable zip: Tarvo.exe, the text on portable use and the licence (with Windows line
# ends), each with the commit's date and fixed attributes, in a fixed order.
import os, sys, time, zipfile
exe, text, target, licence = sys.argv[1:5]
stamp = time.gmtime(max(int(os.environ["SOURCE_DATE_EPOCH"]), 315532800))[:6]
def windows_text(path):
    with open(path, "rb") as f:
        return f.read().replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
note = windows_text(text)
with open(exe, "rb") as f:
    program = f.read()
with zipfile.ZipFile(target, "w") as z:
    for name, data in (("Tarvo.exe", program), ("Portable use.txt", note),
                       ("LICENSE.txt", windows_text(licence))):
        info = zipfile.ZipInfo(name, date_time=stamp)
        info.compress_type = zipfile.ZIP_DEFLATED
        info.create_system = 0
        info.external_attr = 0x20  # FILE_ATTRIBUTE_ARCHIVE
        z.writestr(info, data, compresslevel=9)
EOF

(cd "$stage" && sha256sum "$setup" "$portable" >SHA256SUMS)
setup_sha=$(sha256sum "$stage/$setup" | cut -d' ' -f1)
portable_sha=$(sha256sum "$stage/$portable" | cut -d' ' -f1)

echo "== winget and Scoop manifests"
mkdir -p "$stage/winget" "$stage/scoop"
for file in packaging/winget/*.yaml; do
    python3 scripts/release-files.py fill "$file" "$stage/winget/$(basename "$file")" \
        TARVO_SETUP_SHA256="$setup_sha"
done
python3 scripts/release-files.py fill packaging/scoop/tarvolin.json "$stage/scoop/tarvolin.json" \
    TARVO_PORTABLE_SHA256="$portable_sha"

mkdir -p "$out"
rm -rf "$out/winget" "$out/scoop"
cp "$stage/$setup" "$stage/$portable" "$stage/SHA256SUMS" "$out/"
cp -r "$stage/winget" "$stage/scoop" "$out/"
echo "== done: $out"
(cd "$out" && cat SHA256SUMS)
