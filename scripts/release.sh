#!/usr/bin/env bash
# Cuts a release in one step: the Windows release (scripts/build-dist.sh: the setup, the
# portable zip, the winget and Scoop manifests) and the Debian package (scripts/build-deb.sh),
# all into dist/ with one SHA256SUMS over them, each checked. How to cut one: docs/release.md.
#
#   bash scripts/release.sh [--dirty]
#
# The release is made from the commit checked out: its files are dated by it and two runs on
# it give the same bytes. A tree with uncommitted changes is refused (--dirty builds it anyway,
# for a try). TARVO_SIGN_PFX and its companions (scripts/sign-windows.sh) sign the Windows
# files.
set -euo pipefail
cd "$(dirname "$0")/.."

dirty=0
case "${1:-}" in
    --dirty) dirty=1 ;;
    "") ;;
    *) echo "usage: $0 [--dirty]" >&2; exit 2 ;;
esac
if [ "$dirty" -eq 0 ] && [ -n "$(git status --porcelain --untracked-files=no 2>/dev/null)" ]; then
    echo "release: the tree has uncommitted changes; commit them (or try with --dirty)" >&2
    exit 1
fi

python3 scripts/release-files.py check
version=$(python3 scripts/release-files.py version)
[ -n "${TARVO_SIGN_PFX:-}" ] || echo "release: no TARVO_SIGN_PFX: the Windows files stay unsigned"

rm -rf dist
bash scripts/build-dist.sh
python3 scripts/check-winget.py dist
bash scripts/build-deb.sh

deb=$(cd dist && ls tarvolin_"$version"-*_*.deb)
(cd dist && sha256sum "Tarvolin-$version-setup.exe" "Tarvolin-$version-portable.zip" "$deb" \
    >SHA256SUMS)
echo "== release $version in dist/"
(cd dist && find . -type f | sort | sed 's|^\./|  |' && echo && cat SHA256SUMS)
