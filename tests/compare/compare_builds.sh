#!/usr/bin/env bash
# Runs the same Extractions three ways and compares them: the native console
# program, the Windows console program under Wine, and the Windows dialog
# under Wine, driven through its real controls. Every mode, 0 to 5, on the demo log
# and on a synthetic log, and on one BAK0001.TXT: every output file is
# compared byte for byte, and so are the messages, the exit statuses of the
# two console programs, their record counts, and what they print for help
# and for wrong arguments.
#
# Usage: compare_builds.sh NATIVE_BUILD WINDOWS_BUILD WORK_FOLDER EMULATOR
# WINDOWS_BUILD is the win32 build folder, or the win64 one on a host whose
# Wine runs only 64-bit programs.
set -euo pipefail

if [ $# -ne 4 ]; then
    echo "usage: compare_builds.sh NATIVE_BUILD WINDOWS_BUILD WORK_FOLDER EMULATOR" >&2
    exit 2
fi
native=$(realpath -m "$1")
windows=$(realpath -m "$2")
work=$(realpath -m "$3")
emulator=$4
repository=$(cd "$(dirname "$0")/../.." && pwd)

fail() {
    echo "compare_builds: $*" >&2
    exit 1
}

require() {
    [ -e "$1" ] || fail "$1 is missing: $2"
}

build_native="build the native preset there first (tools/test does)"
build_windows="build the win32 or the win64 preset there"
require "$native/tarvek_dconv_cli" "$build_native"
require "$native/standin/default/TARVEK50.DLL" "$build_native"
require "$native/standin/tarvek_dbtool" "$build_native"
require "$windows/tarvek_dconv_cli.exe" "$build_windows"
require "$windows/tarvek_dconv.exe" "$build_windows"
require "$windows/tests/dialog_extraction.exe" "$build_windows"
require "$windows/standin/default/TARVEK50.DLL" "$build_windows"
[ -n "${DISPLAY:-}" ] || fail "no display for the dialog: start Wine with tools/wine_env.sh's tarvek_start_wine (tools/test does)"

# A backup file with what the line counting has to get right: code page 932
# text with CR LF, a line longer than 200 characters, one of exactly 200, a
# bare CR, a bare LF, and a 0x1A that ends the input.
write_backup() {
    {
        head -n 60 "$repository/standin/demo/demo_log.txt" | iconv -f UTF-8 -t CP932 | sed 's/$/\r/'
        printf '%0250d\r\n' 0 | tr 0 A
        printf '%0200d\n' 0 | tr 0 B
        printf 'bare\rcarriage return\r\n'
        printf 'line feed alone\n'
        printf 'the last line\r\n\032after the end\r\n'
    } >"$1/BAK0001.TXT"
}

rm -rf "$work"
mkdir -p "$work/sources/demo" "$work/sources/synth"
"$native/standin/tarvek_dbtool" build "$repository/standin/demo/demo_log.txt" "$work/sources/demo" >/dev/null
"$native/standin/tarvek_dbtool" synth 3000 "$work/sources/synth" 7 >/dev/null
write_backup "$work/sources/demo"
write_backup "$work/sources/synth"

# A folder holding the sources and the stand-in library of one build.
prepare() {
    local folder=$1 sources=$2 build=$3
    mkdir -p "$folder"
    cp "$sources"/* "$build/standin/default/TARVEK50.DLL" "$folder/"
}

# run FOLDER COMMAND...: runs the command in the folder, with its output,
# error output and exit status kept beside the folder (FOLDER.out, .err and
# .status), and the folder's names before the run in FOLDER.before.
run() {
    local folder=$1
    shift
    ls -A "$folder" >"$folder.before"
    (cd "$folder" && set +e; "$@" >"$folder.out" 2>"$folder.err" </dev/null; echo $? >"$folder.status")
}

# The files that a run added to its folder.
added_files() {
    comm -13 "$1.before" <(ls -A "$1")
}

failures=0
cases=0

check() {
    if ! "$@"; then
        failures=$((failures + 1))
    fi
}

same_text() {
    local label=$1 first=$2 second=$3
    if ! diff <(tr -d '\r' <"$first") <(tr -d '\r' <"$second") >/dev/null; then
        echo "DIFFERENT $label: $first / $second" >&2
        diff <(tr -d '\r' <"$first") <(tr -d '\r' <"$second") >&2 || true
        return 1
    fi
}

# compare_extraction NAME SOURCES MODE START END: one Extraction three ways.
compare_extraction() {
    local name=$1 sources=$2 mode=$3 start=$4 end=$5
    local at="$work/$name"
    cases=$((cases + 1))
    prepare "$at/native" "$sources" "$native"
    prepare "$at/wincli" "$sources" "$windows"
    prepare "$at/dialog" "$sources" "$windows"
    # The dialog takes its mode from the settings file; its mode button writes
    # the same, and mode 0 has no button.
    printf 'flag=%d\r' "$mode" >"$at/dialog/tarvek_dconv.ini"
    run "$at/native" "$native/tarvek_dconv_cli" extract "$mode" "$start" "$end"
    run "$at/wincli" "$emulator" "$windows/tarvek_dconv_cli.exe" extract "$mode" "$start" "$end"
    # The dialog's messages are the lines of its runner's output.
    run "$at/dialog" "$emulator" "$windows/tests/dialog_extraction.exe" "$windows/tarvek_dconv.exe" \
        "$mode" "$start" "$end"
    if [ "$(cat "$at/dialog.status")" -ne 0 ]; then
        echo "FAILED $name: the dialog run did not complete: $(cat "$at/dialog.err")" >&2
        failures=$((failures + 1))
        return
    fi

    local files
    files=$(added_files "$at/native")
    if [ "$(echo "$files" | grep -c .)" -ne 1 ]; then
        echo "FAILED $name: the native run added [$files], not one file" >&2
        failures=$((failures + 1))
        return
    fi
    for way in wincli dialog; do
        if [ "$(added_files "$at/$way")" != "$files" ]; then
            echo "DIFFERENT $name: $way added [$(added_files "$at/$way")], native [$files]" >&2
            failures=$((failures + 1))
            return
        fi
        check cmp "$at/native/$files" "$at/$way/$files"
    done
    check same_text "$name messages" "$at/native.err" "$at/wincli.err"
    check same_text "$name messages" "$at/native.err" "$at/dialog.out"
    check same_text "$name exit status" "$at/native.status" "$at/wincli.status"
    echo "compared: $name ($(wc -c <"$at/native/$files") bytes of $files, status $(cat "$at/native.status"))"
}

# compare_command NAME SOURCES ARGUMENT...: what both console programs print,
# on each stream, and their exit statuses.
compare_command() {
    local name=$1 sources=$2
    shift 2
    local at="$work/$name"
    cases=$((cases + 1))
    prepare "$at/native" "$sources" "$native"
    prepare "$at/wincli" "$sources" "$windows"
    run "$at/native" "$native/tarvek_dconv_cli" "$@"
    run "$at/wincli" "$emulator" "$windows/tarvek_dconv_cli.exe" "$@"
    for part in out err status; do
        check same_text "$name $part" "$at/native.$part" "$at/wincli.$part"
    done
}

# The process boundary: arguments, streams and statuses of help and of
# wrong arguments, with a non-ASCII argument among them.
compare_command help "$work/sources/demo" --help
compare_command no-command "$work/sources/demo"
compare_command unknown-mode "$work/sources/demo" extract jcx 1 2
compare_command full-width-number "$work/sources/demo" extract jcc １ 2
for name in help no-command unknown-mode full-width-number; do
    expected=2
    [ "$name" = help ] && expected=0
    if [ "$(cat "$work/$name/native.status")" != "$expected" ]; then
        echo "FAILED $name: status $(cat "$work/$name/native.status"), not $expected" >&2
        failures=$((failures + 1))
    fi
done

for log in demo synth; do
    sources="$work/sources/$log"
    for mode in 0 1 2 3 4 5; do
        compare_command "$log-count-$mode" "$sources" count "$mode"
    done
    count=$(cat "$work/$log-count-2/native.out")
    [ "$count" -gt 20 ] || fail "the $log database has $count records"
    for mode in 0 1 2 3 4 5; do
        # Mode 0 counts lines of BAK0001.TXT: the whole file.
        last=$count
        if [ "$mode" -eq 0 ]; then
            last=999999
        fi
        compare_extraction "$log-$mode-all" "$sources" "$mode" 1 "$last"
        if [ "$log" = demo ]; then
            compare_extraction "$log-$mode-part" "$sources" "$mode" 17 61
            # Beyond the last record: the read error, then the finished message.
            compare_extraction "$log-$mode-beyond" "$sources" "$mode" $((count - 2)) $((count + 3))
        fi
    done
done

echo "$cases comparisons, $failures differences"
[ "$failures" -eq 0 ]
