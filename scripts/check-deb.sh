#!/usr/bin/env bash
# The Debian package from start to end, as root on a machine without tarvolin installed: it
# builds, installs with dpkg, makes the file managers' menus for a user (a throw-away home
# folder) from that user's list, removes them again with "tarvolin --unregister-all" (which
# keeps the list), and the package removes cleanly. Nothing of the program's may be left in
# the home folder but the list the user made. Prints one line per step; exits non-zero on a
# failure.
set -uo pipefail
cd "$(dirname "$0")/.."

fail() {
    echo "check-deb: FAILED: $*"
    exit 1
}

if [ "$(id -u)" -ne 0 ]; then
    echo "check-deb: skipped (installing a package needs root)"
    exit 0
fi
if dpkg -s tarvolin >/dev/null 2>&1; then
    fail "tarvolin is installed already; this check installs and removes it itself"
fi

# One date for both builds below: the last commit's.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 0)}
deb=$(bash scripts/build-deb.sh | tail -n1) || fail "the package did not build"
version=$(sed -nE 's/^project\(Tarvolin VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
[ -f "$deb" ] || fail "$deb is missing"
echo "check-deb: built $deb"

# The package does not depend on where the tree is or when its files were written: a copy of
# the tree in a folder of another name and depth, every file dated otherwise, built afresh
# without ccache, gives the same bytes. TARVO_DEB_SAME_BYTES=0 leaves this out.
if [ "${TARVO_DEB_SAME_BYTES:-1}" != 0 ]; then
    copy=$(mktemp -d)
    other="$copy/another folder/tarvolin"
    mkdir -p "$other"
    git ls-files -z -co --exclude-standard |
        tar --null -T - --ignore-failed-read -cf - 2>/dev/null | tar -xf - -C "$other"
    find "$other" -exec touch -h -d '2001-02-03 04:05:06' {} +
    started=$SECONDS
    second=$(cd "$other" && CCACHE_DISABLE=1 bash scripts/build-deb.sh 2>"$copy/log" | tail -n1)
    if ! [ -f "$other/$second" ]; then
        cat "$copy/log"
        rm -rf "$copy"
        fail "the package did not build in a copy of the tree"
    fi
    if ! cmp -s "$deb" "$other/$second"; then
        diff <(dpkg-deb -I "$deb" md5sums) <(dpkg-deb -I "$other/$second" md5sums)
        diff <(dpkg-deb -f "$deb") <(dpkg-deb -f "$other/$second")
        rm -rf "$copy"
        fail "a build in another folder gives another package"
    fi
    rm -rf "$copy"
    echo "check-deb: a fresh build in another folder gives the same bytes ($((SECONDS - started)) s)"
fi

# Debian's own checks of a package, at their default level: no error and no warning.
# shellcheck source=packages.sh
source scripts/packages.sh
tarvo_install_missing lintian || fail "lintian could not be installed"
lintian --fail-on error,warning "$deb" 2>&1 | grep -v 'running with root privileges'
[ "${PIPESTATUS[0]}" -eq 0 ] || fail "lintian found errors or warnings"
echo "check-deb: lintian is content"

work=$(mktemp -d)
app_pid=
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
    dpkg -s tarvolin >/dev/null 2>&1 && dpkg --purge tarvolin >/dev/null 2>&1
    rm -rf "$work"
}
trap cleanup EXIT

dpkg -i "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -i"; }
[ -x /usr/bin/tarvolin ] || fail "/usr/bin/tarvolin is not installed"
[ "$(env -u DISPLAY /usr/bin/tarvolin --version)" = "tarvolin $version" ] ||
    fail "tarvolin --version does not print tarvolin $version"
zcat /usr/share/man/man1/tarvolin.1.gz 2>/dev/null | grep -q "^\.TH TARVOLIN 1 .*Tarvolin $version" ||
    fail "no manual page for version $version"
echo "check-deb: installed"

home="$work/home"
mkdir -p "$home/.config/tarvolin"
printf '[ASSOCIATION]\r\n0=txt\r\n1=zzqx\r\n' >"$home/.config/tarvolin/Settings.ini"
cp "$home/.config/tarvolin/Settings.ini" "$work/Settings.ini"
# The user's environment, with the caches that Qt and fontconfig keep outside the home
# folder under test.
user_env=(HOME="$home" PATH=/usr/bin:/bin USER=tester LANG=C.UTF-8
    XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=offscreen)
mkdir -m 0700 "$work/runtime"

# Started without a file, tarvolin opens its settings window and brings the menus in line
# with the list. (env replaces itself with tarvolin, so $! is tarvolin's own process id.)
env -i "${user_env[@]}" /usr/bin/tarvolin >"$work/app.log" 2>&1 &
app_pid=$!
menus=(
    "$home/.local/share/kio/servicemenus/tarvolin-txt.desktop"
    "$home/.local/share/nemo/actions/tarvolin-txt.nemo_action"
    "$home/.local/share/nemo/actions/tarvolin-zzqx.nemo_action"
    "$home/.local/share/applications/tarvolin.desktop"
    "$home/.config/Thunar/uca.xml"
    "$home/.local/share/file-manager/actions/tarvolin-zzqx.desktop"
)
for _ in $(seq 100); do
    all=1
    for f in "${menus[@]}"; do [ -f "$f" ] || all=0; done
    [ "$all" -eq 1 ] && break
    sleep 0.1
done
kill "$app_pid" 2>/dev/null
wait "$app_pid" 2>/dev/null
app_pid=
for f in "${menus[@]}"; do [ -f "$f" ] || { cat "$work/app.log"; fail "no menu $f"; }; done
[ "$(stat -c %a "${menus[0]}")" = 755 ] || fail "the service menu is not mode 0755"
desktop-file-validate "${menus[0]}" "${menus[3]}" || fail "a generated menu does not validate"
echo "check-deb: the menus were made for txt and zzqx"

env -i "${user_env[@]}" /usr/bin/tarvolin --unregister-all >"$work/unregister.log" 2>&1 ||
    { cat "$work/unregister.log"; fail "tarvolin --unregister-all"; }
cmp -s "$home/.config/tarvolin/Settings.ini" "$work/Settings.ini" ||
    fail "--unregister-all changed the list"
echo "check-deb: tarvolin --unregister-all ran"

dpkg -r tarvolin >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -r"; }
dpkg --purge tarvolin >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg --purge"; }
[ ! -e /usr/bin/tarvolin ] || fail "/usr/bin/tarvolin is still there"
for f in /usr/share/applications/tarvolin.desktop \
    /usr/share/metainfo/com.example.tarvolin.metainfo.xml \
    /usr/share/icons/hicolor/48x48/apps/tarvolin.png /usr/share/doc/tarvolin \
    /usr/share/man/man1/tarvolin.1.gz; do
    [ ! -e "$f" ] || fail "$f is still there"
done
echo "check-deb: the package was removed"

# The list stays, and so does the note that the user turned the entries off.
left=$(cd "$home" && find . \( -type f -o -type l \) ! -path ./.config/tarvolin/Settings.ini \
    ! -path ./.local/state/tarvolin/entries-off)
[ -z "$left" ] || fail "left in the home folder: $left"
echo "check-deb: nothing of tarvolin's is left in the home folder but the user's list and choice"
echo "check-deb: passed"
