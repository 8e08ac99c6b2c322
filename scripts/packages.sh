#!/usr/bin/env bash
# Installing what a script needs from Debian's packages; sourced by the scripts beside it.

# Installs those of the named packages that are not installed yet (nothing when all are).
# Fails when apt-get does.
tarvo_install_missing() {
    local need=() p
    for p in "$@"; do
        dpkg -s "$p" >/dev/null 2>&1 || need+=("$p")
    done
    [ ${#need[@]} -eq 0 ] && return 0
    echo "== installing ${need[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q >/dev/null &&
        apt-get install -y -q --no-install-recommends "${need[@]}" >/dev/null
}
