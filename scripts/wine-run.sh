#!/usr/bin/env bash
# The emulator CTest runs the Windows programs with: `wine` under a time limit, in the prefix
# that scripts/wine-env.sh prepared (WINEPREFIX exported). Run by hand without one, it prepares
# a throw-away prefix for this one program and removes it afterwards.
set -uo pipefail
limit=${TARVO_WINE_RUN_TIMEOUT:-900}
if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    exec timeout -k 10 "$limit" wine "$@"
fi
# shellcheck source=wine-env.sh
source "$(dirname "$0")/wine-env.sh"
tarvo_wine_up "${TARVO_WINE_MODE:-xvfb}" || exit 1
timeout -k 10 "$limit" wine "$@"
rc=$?
tarvo_wine_down
exit $rc
