# Sourced by the tools: a quiet Wine prefix of this checkout's own under the
# build folder it serves, its services detached from the caller's pipes, and
# an Xvfb display when none is there. Everything started here stops on exit.
# tarvek_wine_build, set before sourcing, names that build: win32 (the
# default, a 32-bit prefix) or win64 (a 64-bit prefix, for the win64 build).
# $tarvek_wine is the loader to run the build's programs with.

tarvek_wine_build="${tarvek_wine_build:-win32}"
case "$tarvek_wine_build" in
    win32)
        export WINEARCH=win32
        tarvek_wine=wine
        ;;
    win64)
        export WINEARCH=win64
        # The 64-bit loader itself, for this process and the ones it starts:
        # Debian's wine launcher picks the 32-bit loader whenever wine32 is
        # installed, even on a host whose kernel cannot run it.
        tarvek_wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
        export WINELOADER="$tarvek_wine"
        ;;
    *)
        echo "tools/wine_env.sh: tarvek_wine_build is win32 or win64, not $tarvek_wine_build" >&2
        return 2
        ;;
esac
export WINEPREFIX="${WINEPREFIX:-$PWD/build/$tarvek_wine_build/wineprefix}"
export WINEDEBUG=-all
# No debugger for a program that crashes: Wine's would wait for a user, and a
# test that faults would hang instead of failing.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"
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
    "$tarvek_wine" wineboot >/dev/null 2>&1 </dev/null
    "$tarvek_wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f \
        >/dev/null 2>&1 </dev/null
    "$tarvek_wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f \
        >/dev/null 2>&1 </dev/null
    local face
    for face in "MS UI Gothic=IPAPGothic" "ＭＳ ゴシック=IPAGothic" "ＭＳ Ｐゴシック=IPAPGothic"; do
        "$tarvek_wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' \
            /v "${face%%=*}" /d "${face#*=}" /f >/dev/null 2>&1 </dev/null
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
    "$tarvek_wine" wineboot >/dev/null 2>&1 </dev/null
}
