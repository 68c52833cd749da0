# Sourced by the tools: a quiet 32-bit Wine prefix of this checkout's own
# under build/win32, its services detached from the caller's pipes, and an
# Xvfb display when none is there. Everything started here stops on exit.

export WINEPREFIX="${WINEPREFIX:-$PWD/build/win32/wineprefix}"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LANG=ja_JP.UTF-8

tarvek_xvfb_pid=""

tarvek_stop_wine() {
    wineserver -k 2>/dev/null || true
    if [ -n "$tarvek_xvfb_pid" ]; then
        kill "$tarvek_xvfb_pid" 2>/dev/null || true
    fi
}

tarvek_start_display() {
    if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
        return
    fi
    local number=99
    while [ -e "/tmp/.X${number}-lock" ]; do
        number=$((number + 1))
    done
    Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    tarvek_xvfb_pid=$!
    export DISPLAY=":$number"
    until xdpyinfo >/dev/null 2>&1; do
        sleep 0.1
    done
}

tarvek_start_wine() {
    trap tarvek_stop_wine EXIT
    tarvek_start_display
    mkdir -p "$(dirname "$WINEPREFIX")"
    # A half-created prefix cannot load kernel32: make it anew.
    if [ -d "$WINEPREFIX" ] && [ ! -f "$WINEPREFIX/system.reg" ]; then
        rm -rf "$WINEPREFIX"
    fi
    wineserver -p
    wineboot >/dev/null 2>&1 </dev/null
    # A virtual desktop: without a window manager every window close waits.
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 </dev/null
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f \
        >/dev/null 2>&1 </dev/null
}
