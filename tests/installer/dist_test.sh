#!/usr/bin/env bash
# The release is reproducible and its winget and Scoop manifests describe it: a second build
# of the release from a fresh build tree gives the same bytes as the release folder (first
# argument), scripts/check-winget.py accepts that folder, and it refuses copies whose
# manifests name another setup's or zip's hash, another publisher, version or release note.
#
#   bash tests/installer/dist_test.sh DIST
set -uo pipefail
cd "$(dirname "$0")/../.."
dist=$1
work=build/dist-check
rm -rf "$work"
mkdir -p "$work"
failed=0
fail() { echo "FAILED: $*"; failed=1; }

# Low priority: it compiles while the Windows tests run.
if nice -n 10 bash scripts/build-dist.sh --build-dir "$work/tree" --out "$work/out" >"$work/log" 2>&1; then
    # The Windows release's own files; dist/ may hold other releases too (the Debian package).
    files=$(cd "$work/out" && find . -type f | sort)
    [ -n "$files" ] || fail "the second build made no files"
    for f in $files; do
        [ -f "$dist/$f" ] || fail "$f is missing from the first build"
        cmp -s "$dist/$f" "$work/out/$f" || fail "$f differs between two builds"
    done
    [ "$failed" -eq 0 ] && echo "two builds are byte-identical:" && (cd "$dist" && cat SHA256SUMS)
else
    cat "$work/log"
    fail "the second build of the release failed"
fi

python3 scripts/check-winget.py "$dist" || fail "check-winget refused the release"

tamper() {
    local name=$1 file=$2 expression=$3
    rm -rf "$work/$name"
    cp -r "$dist" "$work/$name"
    sed -i -E "$expression" "$work/$name/$file"
    if python3 scripts/check-winget.py "$work/$name" >/dev/null; then
        fail "check-winget accepted a manifest with $name"
    fi
}
# A hash made another by its first digit: 0 becomes 1, any other digit 0.
tamper "another hash" winget/Pendrask.Tarvolin.installer.yaml \
    '0,/InstallerSha256: [0-9a-f]/{/InstallerSha256: 0/{s//InstallerSha256: 1/;b};s/InstallerSha256: [0-9a-f]/InstallerSha256: 0/}'
tamper "another publisher" winget/Pendrask.Tarvolin.locale.en-US.yaml 's/^Publisher: .*/Publisher: Someone/'
tamper "another release note" winget/Pendrask.Tarvolin.locale.en-US.yaml 's/^(  - )/\1Not /'
tamper "another zip hash" scoop/tarvolin.json '/"hash": "0/{s//"hash": "1/;b};s/"hash": "[0-9a-f]/"hash": "0/'
tamper "another zip version" scoop/tarvolin.json 's/"version": "[0-9.]+"/"version": "0.0.0.1"/'

[ "$failed" -eq 0 ] && echo "the release is reproducible and its winget manifests match it"
exit "$failed"
