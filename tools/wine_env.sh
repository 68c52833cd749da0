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

# What a new prefix needs, made once: a virtual desktop (without a window
# manager every window close waits), Wine's own fonts where this Wine finds
# them (Tahoma for dialogs, Marlett for the caption buttons), and the IPA
# fonts in place of the Japanese faces of Windows that the dialog and the
# message boxes ask for. The desktop of the session that made the keys
# predates them, so the session ends here and starts anew.
tarvek_configure_prefix() {
    wineboot >/dev/null 2>&1 </dev/null
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 </dev/null
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f \
        >/dev/null 2>&1 </dev/null
    local face
    for face in "MS UI Gothic=IPAPGothic" "ＭＳ ゴシック=IPAGothic" "ＭＳ Ｐゴシック=IPAPGothic"; do
        wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "${face%%=*}" /d "${face#*=}" /f \
            >/dev/null 2>&1 </dev/null
    done
    cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
    wineserver -k
    wineserver -w
    touch "$WINEPREFIX/.tarvek_configured"
}

tarvek_start_wine() {
    trap tarvek_stop_wine EXIT
    tarvek_start_display
    mkdir -p "$(dirname "$WINEPREFIX")"
    # A half-created prefix cannot load kernel32: make it anew.
    if [ -d "$WINEPREFIX" ] && [ ! -f "$WINEPREFIX/system.reg" ]; then
        rm -rf "$WINEPREFIX"
    fi
    if [ ! -f "$WINEPREFIX/.tarvek_configured" ]; then
        tarvek_configure_prefix
    fi
    wineserver -p
    wineboot >/dev/null 2>&1 </dev/null
}
