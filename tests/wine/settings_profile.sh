#!/usr/bin/env bash
# The settings over the Win32 private-profile and folder functions under Wine: a new user's
# defaults (only OutBuffer=30 written by reading), the desktop for a data folder that is gone,
# and the profile functions reading stored files by the rules the portable INI store follows.
# usage: settings_profile.sh NATIVE_CLI MINGW_BUILD_DIR WINEPREFIX WORK_DIR
set -u
mingw=$2 prefix=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$work"; mkdir -p "$work"
ini=$work/TM-RZ4.INI fails=0
expect() { # description wanted-line... (against the output in $work/out)
    local what=$1; shift
    for line in "$@"; do
        grep -qxF -- "$line" "$work/out" || { echo "FAIL: $what: no line '$line'"; fails=$((fails + 1)); }
    done
}
run() {
    "$here/../../scripts/wine-env" run "$prefix" "$mingw/tests/windows/settings_check.exe" \
        "Z:$(echo "$ini" | tr '/' '\\')" "$@" 2>/dev/null | tr -d '\r' >"$work/out"
}

# A new user: not even the settings folders are there yet.
find "$prefix/drive_c/users" -maxdepth 5 -type d -name ZELTA -path '*AppData*' -exec rm -rf {} + 2>/dev/null
run
expect "new user" window_limit=30 model=4 port_index=-1 font_size_index=5 maximised=0 toolbar=1 \
    keyboard=1 timer_interval_ms=100 retry_count=30 out_buffer=30 "data_folder=(desktop)" \
    'settings file=\ZELTA\TM-RZ4 for RQ-7310\TM-RZ4.INI' "settings folder exists=1"
[ "$(tr -d '\r' <"$ini")" = $'[ZELTA TRAVEX]\nOutBuffer=30' ] || { echo "FAIL: first read wrote $(cat "$ini")"; fails=$((fails + 1)); }

printf '[ZELTA TRAVEX]\r\nDataDir=Z:\\no\\such\\folder\r\n' >"$ini"
run
expect "missing data folder" "data_folder=(desktop)"

printf '; c\r\n[other]\r\nWndCount=7\r\n  [ zelta travex ]  \r\n  wndcount = 12  \r\n' >"$ini"
printf 'DataDir = "C:\\My Data" \r\nneg=-1\r\nmixed=12abc\r\nempty=\r\nbare\r\nquoted=""\r\n' >>"$ini"
printf "single='x'\r\nhalf=\"x\r\nhex=0x1F\r\nupper=0X1F\r\nmhex=-0x10\r\noct=0o17\r\n" >>"$ini"
printf 'bin=0b102\r\nbig=4294967295\r\n[ZELTA TRAVEX]\r\nlate=5\r\n' >>"$ini"
run "ZELTA TRAVEX" WNDCOUNT DataDir neg mixed empty bare quoted single half hex upper mhex oct \
    bin big late
expect "profile reading rules" "WNDCOUNT int=12 string=<12>" 'DataDir int=0 string=<C:\My Data>' \
    "neg int=-1 string=<-1>" "mixed int=12 string=<12abc>" "empty int=-777 string=<>" \
    "bare int=-777 string=<dflt>" "quoted int=-777 string=<>" "single int=0 string=<x>" \
    'half int=0 string=<"x>' "hex int=31 string=<0x1F>" "upper int=0 string=<0X1F>" \
    "mhex int=-16 string=<-0x10>" "oct int=15 string=<0o17>" "bin int=2 string=<0b102>" \
    "big int=-1 string=<4294967295>" "late int=-777 string=<dflt>"
[ $fails -eq 0 ] && echo PASS
exit $fails
