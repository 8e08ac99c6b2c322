#!/usr/bin/env bash
# The signed release: with a throw-away self-signed certificate made here, scripts/build-dist.sh
# signs Tarvo.exe, the uninstaller and the setup; each verifies against that certificate (and
# not against another); two signed builds with one certificate and one signing time are the
# same bytes; and under Wine the signed setup installs and uninstalls silently, writing the
# signed uninstaller.
#
#   bash tests/installer/signed_test.sh BUILD_DIR      (a Windows Release tree, as build-dist's)
set -uo pipefail
cd "$(dirname "$0")/../.." || exit 1
root=$(pwd)
build=$1
work=$root/build/signed-check
rm -rf "$work"
mkdir -p "$work"
failed=0
fail() { echo "FAILED: $*"; failed=1; }

# shellcheck source=../../scripts/packages.sh
source scripts/packages.sh
tarvo_install_missing osslsigncode openssl unzip || exit 1
version=$(python3 scripts/release-files.py version)
setup="Tarvolin-$version-setup.exe"
portable="Tarvolin-$version-portable.zip"

# The certificate: RSA, for code signing, valid for three days from now; and a second one
# that signed nothing.
for name in signer stranger; do
    openssl req -x509 -newkey rsa:2048 -nodes -days 3 -subj "/CN=Tarvolin test $name" \
        -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
        -keyout "$work/$name.key" -out "$work/$name.pem" 2>/dev/null || exit 1
done
openssl pkcs12 -export -inkey "$work/signer.key" -in "$work/signer.pem" -out "$work/signer.pfx" \
    -passout pass:throw-away || exit 1
export TARVO_SIGN_PFX=$work/signer.pfx TARVO_SIGN_PASSWORD=throw-away
TARVO_SIGN_TIME=$(date +%s)
export TARVO_SIGN_TIME
unset TARVO_SIGN_TIMESTAMP_URL

for run in first second; do
    if ! nice -n 10 bash scripts/build-dist.sh --build-dir "$build" --out "$work/$run" \
        >"$work/$run.log" 2>&1; then
        cat "$work/$run.log"
        fail "the $run signed build failed"
        exit 1
    fi
done
for f in $(cd "$work/first" && find . -type f | sort); do
    cmp -s "$work/first/$f" "$work/second/$f" || fail "$f differs between two signed builds"
done
python3 scripts/check-winget.py "$work/first" >/dev/null || fail "check-winget refused the signed release"

verifies() {
    local file=$1 what=$2
    osslsigncode verify -CAfile "$work/signer.pem" -in "$file" >"$work/verify.log" 2>&1 ||
        { cat "$work/verify.log"; fail "$what does not verify against the test certificate"; }
    if osslsigncode verify -CAfile "$work/stranger.pem" -in "$file" >/dev/null 2>&1; then
        fail "$what verifies against a certificate that did not sign it"
    fi
}
verifies "$work/first/$setup" "the setup"
mkdir -p "$work/zip"
unzip -q -o "$work/first/$portable" Tarvo.exe -d "$work/zip" || fail "no Tarvo.exe in $portable"
verifies "$work/zip/Tarvo.exe" "the portable Tarvo.exe"

# Under Wine: install silently into a folder of its own (/D= takes no blank: it is unquoted), read what the setup wrote, then
# uninstall silently in place (_?= makes the uninstaller return its own exit code).
# shellcheck source=../../scripts/wine-env.sh
source scripts/wine-env.sh
tarvo_wine_up null || exit 1
chmod +x "$work/first/$setup"
timeout -k 10 300 wine "$work/first/$setup" /S '/D=C:\SignedTarvolin' >/dev/null 2>&1
rc=$?
[ "$rc" -eq 0 ] || fail "the signed setup ended with $rc"
installed="$WINEPREFIX/drive_c/SignedTarvolin"
if [ -f "$installed/unins000.exe" ] && [ -f "$installed/Tarvo.exe" ]; then
    verifies "$installed/unins000.exe" "the installed uninstaller"
    verifies "$installed/Tarvo.exe" "the installed Tarvo.exe"
    cmp -s "$installed/Tarvo.exe" "$work/zip/Tarvo.exe" ||
        fail "the setup and the portable zip hold different Tarvo.exe"
    chmod +x "$installed/unins000.exe"
    timeout -k 10 300 wine "$installed/unins000.exe" /verysilent '_?=C:\SignedTarvolin' \
        >/dev/null 2>&1
    rc=$?
    [ "$rc" -eq 0 ] || fail "the signed uninstaller ended with $rc"
    [ ! -e "$installed/Tarvo.exe" ] || fail "the signed uninstaller left Tarvo.exe"
else
    fail "the signed setup wrote no Tarvo.exe and unins000.exe in C:\\SignedTarvolin"
fi
tarvo_wine_down

[ "$failed" -eq 0 ] &&
    echo "the signed release verifies, installs, uninstalls and is the same from two builds"
exit "$failed"
