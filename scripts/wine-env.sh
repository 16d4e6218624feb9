# Sourced by the project's scripts: a private Wine prefix, an Xvfb display
# when there is none, and a persistent wineserver, each stopped by its PID.
# Usage: . scripts/wine-env.sh; wine_env_start [PREFIX]; ...; wine_env_stop

export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

WINE_ENV_XVFB_PID=
WINE_ENV_SERVER_PID=

# Starts Xvfb on a display number it picks itself, unless $1 is "keep" and
# DISPLAY is set.
wine_env_display() {
    if [ "${1:-}" = keep ] && [ -n "${DISPLAY:-}" ]; then return 0; fi
    local numberfile n i
    numberfile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$numberfile" </dev/null \
        >"${WINE_ENV_LOG:-/dev/null}" 2>&1 &
    WINE_ENV_XVFB_PID=$!
    for i in $(seq 1 100); do
        n=$(tr -dc 0-9 <"$numberfile")
        if [ -n "$n" ]; then
            rm -f "$numberfile"
            export DISPLAY=:$n
            return 0
        fi
        sleep 0.1
    done
    rm -f "$numberfile"
    echo "Xvfb did not start" >&2
    return 1
}

wine_env_prefix() {
    export WINEPREFIX=$1
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "-- creating Wine prefix $WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        wineboot -i </dev/null >/dev/null 2>&1
        wineserver -w
        # Wine draws the title bar and close box itself, so screenshots show
        # whole windows and a click on the close box needs no window manager;
        # a crash fails a test instead of waiting for someone to close a dialog.
        cat >"$WINEPREFIX/drive_c/veldlg.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Decorated"="N"
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000
REG
        wine regedit /S 'C:\veldlg.reg' </dev/null >/dev/null 2>&1
        wineserver -w
    fi
}

wine_env_server() {
    wineserver -f -p </dev/null >/dev/null 2>&1 &
    WINE_ENV_SERVER_PID=$!
    # Start Wine's own services now, detached from our output: started later
    # by a test they would hold the test runner's pipes open.
    wine cmd /c exit </dev/null >/dev/null 2>&1
}

wine_env_start() {
    wine_env_display "${2:-}" || return 1
    wine_env_prefix "$1"
    wine_env_server
}

wine_env_stop() {
    if [ -n "$WINE_ENV_SERVER_PID" ]; then
        # Ends the Wine processes of this prefix, then its server.
        wineserver -k </dev/null >/dev/null 2>&1 || true
        kill "$WINE_ENV_SERVER_PID" 2>/dev/null || true
        wait "$WINE_ENV_SERVER_PID" 2>/dev/null || true
        WINE_ENV_SERVER_PID=
    fi
    if [ -n "$WINE_ENV_XVFB_PID" ]; then
        kill "$WINE_ENV_XVFB_PID" 2>/dev/null || true
        wait "$WINE_ENV_XVFB_PID" 2>/dev/null || true
        WINE_ENV_XVFB_PID=
    fi
}
