# Sourced by the test, run and benchmark scripts: a private, throw-away Wine prefix (and X
# server when asked) for one run, and its tear-down. Never touches ~/.wine or anyone's prefix.
#
#   source scripts/wine-env.sh
#   tarvo_wine_up [null|xvfb|display]   # null: Wine's null display driver, no X server;
#                                       # xvfb: a private Xvfb; display: the user's $DISPLAY
#   ... wine programs, each guarded by timeout ...
#   tarvo_wine_down                     # also run by the EXIT trap that tarvo_wine_up sets
#
# Exports WINEPREFIX, WINEDEBUG, WINEDLLOVERRIDES, TARVO_WINE_TMP (the run's folder, removed
# at the end), TARVO_BROWSER_LOG (what the link handler was asked to open) and, with an X
# server, DISPLAY. Everything it starts is ended by PID or by `wineserver -k` on this prefix.

TARVO_WINE_TIMEOUT=${TARVO_WINE_TIMEOUT:-120}

_tarvo_log() { echo "wine-env: $*" >&2; }

# Runs a Wine program with a time limit; its output is discarded.
_tarvo_wine_quiet() {
    timeout -k 10 "$TARVO_WINE_TIMEOUT" wine "$@" >/dev/null 2>&1
}

_tarvo_start_xvfb() {
    # -displayfd lets the server pick a free display number and tell us which one it took,
    # so two runs on one machine never race for the same number.
    local fifo="$TARVO_WINE_TMP/xvfb-display"
    : >"$fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset \
        3>"$fifo" >"$TARVO_WINE_TMP/xvfb.log" 2>&1 &
    TARVO_XVFB_PID=$!
    local i
    for i in $(seq 1 100); do
        if [ -s "$fifo" ]; then
            export DISPLAY=":$(tr -d '[:space:]' <"$fifo")"
            return 0
        fi
        kill -0 "$TARVO_XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    _tarvo_log "Xvfb did not start:"
    cat "$TARVO_WINE_TMP/xvfb.log" >&2
    return 1
}

tarvo_wine_up() {
    local mode=${1:-null}
    local started=$SECONDS

    TARVO_WINE_TMP=$(mktemp -d "${TMPDIR:-/tmp}/tarvo-wine.XXXXXX")
    export TARVO_WINE_TMP
    export WINEPREFIX="$TARVO_WINE_TMP/prefix"
    export WINEDEBUG=-all
    # No Mono or Gecko install prompts: nothing here needs .NET or the HTML engine.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export WINEARCH=win64
    export TARVO_BROWSER_LOG="$TARVO_WINE_TMP/browser.log"
    trap tarvo_wine_down EXIT

    case "$mode" in
        null) unset DISPLAY ;;
        xvfb) _tarvo_start_xvfb || return 1 ;;
        display) [ -n "${DISPLAY:-}" ] || { _tarvo_log "no DISPLAY"; return 1; } ;;
        *) _tarvo_log "unknown mode $mode"; return 1 ;;
    esac

    # Build the prefix, then settle the registry while the boot's server is still up, and
    # let that server end: the display driver is chosen when the desktop process starts, so
    # the settings must be in place before the session the tests use.
    timeout -k 10 300 wineboot -i >/dev/null 2>&1 || { _tarvo_log "wineboot failed"; return 1; }

    # Debian's Wine does not look in its own font folder; without these Tahoma silently falls
    # back to another face and every text measures differently.
    cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"

    local browser="$TARVO_WINE_TMP/browser.sh"
    printf '#!/bin/sh\n# Records what the link handler was asked to open.\nprintf "%%s\\n" "$*" >>"%s"\n' \
        "$TARVO_BROWSER_LOG" >"$browser"
    chmod +x "$browser"

    # Without a window manager every hide or destroy waits 2 s for one that never answers:
    # leave the windows unmanaged, except on the user's own display.
    local graphics_line="" managed_line='"Managed"="N"'
    [ "$mode" = null ] && graphics_line='"Graphics"="null"'
    [ "$mode" = display ] && managed_line=""
    # regedit reads the file in the system code page: keep it ASCII. Backslashes doubled.
    local winbrowser=${browser//\\/\\\\}
    cat >"$TARVO_WINE_TMP/settings.reg" <<EOF
REGEDIT4

[HKEY_CURRENT_USER\\Software\\Wine\\Drivers]
$graphics_line

[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]
$managed_line

[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\\Software\\Wine\\WineBrowser]
"Browsers"="$winbrowser"
"Mailers"="$winbrowser"
EOF
    _tarvo_wine_quiet regedit /S "$(winepath_w "$TARVO_WINE_TMP/settings.reg")" ||
        { _tarvo_log "regedit failed"; return 1; }
    timeout -k 10 120 wineserver -w

    # A persistent server for the whole run, and one throw-away process first: the first
    # process of a server session starts Wine's background services, which inherit its
    # stdout and stderr; a pipe reading them (CTest, $(...)) would never see end of file.
    timeout -k 10 30 wineserver -p >/dev/null 2>&1 || { _tarvo_log "wineserver -p failed"; return 1; }
    _tarvo_wine_quiet cmd.exe /c exit || { _tarvo_log "first wine process failed"; return 1; }

    [ -f "$WINEPREFIX/drive_c/windows/Fonts/tahoma.ttf" ] ||
        { _tarvo_log "tahoma.ttf missing: install fonts-wine"; return 1; }
    _tarvo_log "prefix ready in $((SECONDS - started)) s ($mode) at $WINEPREFIX"
}

# The Windows path of a Unix path (Wine maps drive Z: to the Unix root).
winepath_w() {
    local p=$1
    echo "Z:${p//\//\\}"
}

tarvo_wine_down() {
    trap - EXIT
    if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
        timeout -k 5 30 wineserver -k >/dev/null 2>&1 || true
        timeout -k 5 30 wineserver -w >/dev/null 2>&1 || true
    fi
    if [ -n "${TARVO_XVFB_PID:-}" ]; then
        kill "$TARVO_XVFB_PID" 2>/dev/null || true
        wait "$TARVO_XVFB_PID" 2>/dev/null || true
        unset TARVO_XVFB_PID
    fi
    if [ -n "${TARVO_WINE_TMP:-}" ] && [ -d "$TARVO_WINE_TMP" ] && [ -z "${TARVO_KEEP_PREFIX:-}" ]; then
        rm -rf "$TARVO_WINE_TMP"
    fi
}
