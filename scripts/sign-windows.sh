#!/usr/bin/env bash
# Signs one Windows program in place with Authenticode (SHA-256), through osslsigncode, with
# the certificate and key in a PKCS#12 file. scripts/build-dist.sh calls it for Tarvo.exe, the
# setup and (through makensis) the uninstaller.
#
#   TARVO_SIGN_PFX=cert.pfx [TARVO_SIGN_PASSWORD=...] bash scripts/sign-windows.sh FILE
#
# TARVO_SIGN_PASSWORD      the PKCS#12 file's password (it reaches osslsigncode on its input,
#                          not on a command line other users can read)
# TARVO_SIGN_TIMESTAMP_URL an RFC 3161 time-stamp server: the signature then stays valid after
#                          the certificate expires. When the server cannot be reached the file
#                          is signed without a time stamp and a warning says so.
# TARVO_SIGN_TIME          the signing time as Unix seconds instead of the clock's, so that
#                          two signings of the same file give the same bytes
set -euo pipefail
file=$1
[ -n "${TARVO_SIGN_PFX:-}" ] || { echo "sign-windows: TARVO_SIGN_PFX is not set" >&2; exit 2; }
[ -f "$TARVO_SIGN_PFX" ] || { echo "sign-windows: no file $TARVO_SIGN_PFX" >&2; exit 2; }

args=(sign -pkcs12 "$TARVO_SIGN_PFX" -readpass - -h sha256 -n Tarvolin
      -i https://www.example.com/tarvolin)
[ -n "${TARVO_SIGN_TIME:-}" ] && args+=(-time "$TARVO_SIGN_TIME")

signed="$file.signed"
rm -f "$signed"
sign() {
    printf '%s' "${TARVO_SIGN_PASSWORD:-}" | osslsigncode "${args[@]}" "$@" -in "$file" \
        -out "$signed" >/dev/null
}
if [ -n "${TARVO_SIGN_TIMESTAMP_URL:-}" ]; then
    if ! sign -ts "$TARVO_SIGN_TIMESTAMP_URL"; then
        echo "sign-windows: WARNING: $TARVO_SIGN_TIMESTAMP_URL gave no time stamp;" \
            "$(basename "$file") is signed without one" >&2
        rm -f "$signed"
        sign
    fi
else
    sign
fi
mv -f "$signed" "$file"
