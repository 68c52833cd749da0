# Sourced by the tools: the Windows build that this host's Wine can run, in
# $tarvek_windows_build. Wine's 32-bit loader needs a host that runs 32-bit
# code, and some kernels have IA-32 emulation switched off (every i386
# program then fails with "Exec format error"): there the same sources run
# as the 64-bit build, win64, under wine64.
if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    tarvek_windows_build=win32
else
    tarvek_windows_build=win64
fi
