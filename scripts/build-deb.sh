#!/usr/bin/env bash
# Builds the Debian package dist/tarvolin_VERSION-1_amd64.deb: tarvolin (Release, stripped), its
# desktop entry, AppStream metainfo, hicolor icons, manual page and change log. The version is
# CMakeLists.txt's; the metainfo's releases and the change log are made from CHANGELOG.md.
# Checks the desktop entry and the metainfo with their validators first. Two builds of one
# commit give the same package, in any folder. Prints the package's path last.
#
# Usage: bash scripts/build-deb.sh
# TARVO_DEB_REVISION: the package's revision after the program's version (default 1).
# TARVO_DEB_BINARY=/path/to/tarvolin packages that file instead of building one (for trying
# the packaging alone).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

# shellcheck source=packages.sh
source scripts/packages.sh
tarvo_install_missing cmake g++ make qt6-base-dev dpkg-dev desktop-file-utils appstream

# One date for everything built and packaged: the last commit's, set before compiling.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 0)}
version=$(python3 scripts/release-files.py version)
# The package's own revision after the program's version: a change to the packaging alone
# raises it.
revision=${TARVO_DEB_REVISION:-1}
debversion="$version-$revision"
arch=$(dpkg --print-architecture)
name="tarvolin_${debversion}_${arch}"
stage="$root/build/deb/root"
linux="$root/packaging/linux"

if [ -n "${TARVO_DEB_BINARY:-}" ]; then
    binary=$TARVO_DEB_BINARY
else
    echo "== building tarvolin (Release)"
    # Debian's build flags: hardening, and the source folder's path mapped to "." so that
    # nothing in the program depends on where the tree is. No debugging data: it is stripped.
    export DEB_BUILD_MAINT_OPTIONS=hardening=+all
    cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
    cxxflags=$(sed -E 's/(^| )-g( |$)/ /' <<<"$cxxflags")
    cmake -S . -B build/deb -DCMAKE_BUILD_TYPE=Release -DTARVO_QT=ON -DTARVO_TESTS=OFF \
        -DCMAKE_CXX_FLAGS="$cxxflags" \
        -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
    cmake --build build/deb --target tarvolin -j "$(nproc)"
    binary=build/deb/tarvolin
fi

echo "== the metainfo's releases and the package's changelog, from CHANGELOG.md"
rm -rf "$stage" "$root/build/deb/notes"
mkdir -p "$root/build/deb/notes"
metainfo="$root/build/deb/notes/com.example.tarvolin.metainfo.xml"
python3 scripts/release-files.py appstream "$linux/com.example.tarvolin.metainfo.xml" "$metainfo"
python3 scripts/release-files.py debian "$root/build/deb/notes/changelog" "$revision"

echo "== checking the desktop entry and the metainfo"
desktop-file-validate "$linux/tarvolin.desktop"
appstreamcli validate --no-net "$metainfo"

echo "== staging"
install -d "$stage/DEBIAN" "$stage/usr/bin" "$stage/usr/share/applications" \
    "$stage/usr/share/metainfo" "$stage/usr/share/doc/tarvolin" "$stage/usr/share/man/man1"
install -m 0755 "$binary" "$stage/usr/bin/tarvolin"
strip --strip-unneeded --remove-section=.comment --remove-section=.note "$stage/usr/bin/tarvolin"
install -m 0644 "$linux/tarvolin.desktop" "$stage/usr/share/applications/"
install -m 0644 "$metainfo" "$stage/usr/share/metainfo/"
for icon in "$linux"/icons/hicolor/*/apps/tarvolin.png; do
    size=$(basename "$(dirname "$(dirname "$icon")")")
    install -D -m 0644 "$icon" "$stage/usr/share/icons/hicolor/$size/apps/tarvolin.png"
done
install -m 0644 "$linux/copyright" "$stage/usr/share/doc/tarvolin/copyright"
install -D -m 0644 "$linux/lintian/tarvolin" "$stage/usr/share/lintian/overrides/tarvolin"
# The package's change log, made from CHANGELOG.md, compressed without a name or a time in it.
gzip -9nc "$root/build/deb/notes/changelog" >"$stage/usr/share/doc/tarvolin/changelog.Debian.gz"
sed "s/@VERSION@/$version/" "$linux/tarvolin.1" | gzip -9n >"$stage/usr/share/man/man1/tarvolin.1.gz"
chmod 0644 "$stage/usr/share/man/man1/tarvolin.1.gz" "$stage/usr/share/doc/tarvolin/changelog.Debian.gz"

# The libraries tarvolin links, as the package's dependencies (dpkg-shlibdeps wants a
# source package's layout to run in; a throw-away one serves).
shlib=$(mktemp -d)
trap 'rm -rf "$shlib"' EXIT
mkdir -p "$shlib/debian"
printf 'Source: tarvolin\n\nPackage: tarvolin\nArchitecture: any\n' >"$shlib/debian/control"
depends=$(cd "$shlib" && dpkg-shlibdeps -O "$stage/usr/bin/tarvolin" 2>/dev/null |
    sed -n 's/^shlibs:Depends=//p')

# In KiB as dpkg counts it (each file rounded up, one per folder), whatever file system the
# tree is on.
size=$(cd "$stage" && find usr \( -type f -printf '%s\n' \) -o \( -type d -printf '1024\n' \) |
    awk '{ kib += int(($1 + 1023) / 1024) } END { print kib }')
cat >"$stage/DEBIAN/control" <<EOF
Package: tarvolin
Version: $debversion
Architecture: $arch
Maintainer: The Tarvolin maintainers <tarvolin@example.com>
Installed-Size: $size
Depends: $depends
Suggests: x-terminal-emulator
Section: utils
Priority: optional
Homepage: https://www.example.com/tarvolin
Description: run a file with arguments typed in a small dialog
 Tarvolin adds an entry to the context menus of Dolphin, Nemo and Thunar,
 and to every file manager's "Open With" list, for the file extensions you
 choose. Pick it on a file, type the arguments in a small dialog and press
 Enter: the file runs with them in its own folder. The dialog keeps the last
 20 argument texts used with each file name, completes as you type, adds
 paths by browsing or dropping, and can run the file in a terminal that
 stays open.
 .
 The menus live in each user's home folder; "tarvolin --unregister-all"
 removes them before the package is removed.
EOF

(cd "$stage" && find usr -type f -print0 | LC_ALL=C sort -z | xargs -0 md5sum >DEBIAN/md5sums)
chmod 0644 "$stage/DEBIAN/control" "$stage/DEBIAN/md5sums"

echo "== building the package"
mkdir -p dist
# Every file dated by the commit, so two builds of one commit are the same bytes.
find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
dpkg-deb --root-owner-group -Zxz --build "$stage" "dist/$name.deb" >/dev/null
echo "dist/$name.deb"
