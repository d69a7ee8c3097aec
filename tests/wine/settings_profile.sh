#!/usr/bin/env bash
# The settings over the Win32 private-profile and folder functions under Wine: a new user's
# defaults (and OutBuffer=30 in the file right after reading), the desktop for a data folder that
# is gone, and the profile functions reading by the rules the portable INI store follows (the
# settings rules themselves are unit tests over that store).
# usage: settings_profile.sh NATIVE_CLI MINGW_BUILD_DIR WINEPREFIX WORK_DIR
set -u
mingw=$2 prefix=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)
wine_env=$here/../../scripts/wine-env
exe=$mingw/tests/windows/settings_check.exe
rm -rf "$work"; mkdir -p "$work/data"
[ -f "$exe" ] || { echo "missing $exe"; exit 1; }
windows_path() { printf 'Z:%s' "$(printf '%s' "$1" | tr '/' '\\')"; }
ini=$work/TM-RZ4.INI
fails=0
expect() { # description file-with-output wanted-line...
    local what=$1 out=$2; shift 2
    for line in "$@"; do
        grep -qxF -- "$line" "$out" || { echo "FAIL: $what: no line '$line'"; fails=$((fails + 1)); }
    done
}
run() { "$wine_env" run "$prefix" "$exe" "$(windows_path "$ini")" "$@" 2>/dev/null | tr -d '\r'; }

# A new user: not even the settings folders are there yet.
find "$prefix/drive_c/users" -maxdepth 5 -type d -name ZELTA -path '*AppData*' -exec rm -rf {} + 2>/dev/null
run >"$work/new.out"
expect "new user" "$work/new.out" window_limit=30 model=4 port_index=-1 font_size_index=5 \
    maximised=0 toolbar=1 keyboard=1 timer_interval_ms=100 retry_count=30 out_buffer=30 \
    "data_folder=(desktop)" 'settings file=\ZELTA\TM-RZ4 for RQ-7310\TM-RZ4.INI' \
    "settings folder exists=1"
tr -d '\r' <"$ini" >"$work/new.ini"
expect "file after the first start" "$work/new.ini" "[ZELTA TRAVEX]" "OutBuffer=30"
[ "$(grep -c = "$work/new.ini")" -eq 1 ] || { echo "FAIL: reading wrote more than OutBuffer"; fails=$((fails + 1)); }

# A data folder that is gone gives the desktop.
printf '[ZELTA TRAVEX]\r\nDataDir=%s\r\n' "$(windows_path "$work/gone")" >"$ini"
run >"$work/gone.out"
expect "missing data folder" "$work/gone.out" "data_folder=(desktop)"

# The reading rules that the portable INI store follows, as the profile functions apply them.
printf '; c\r\n[other]\r\nWndCount=7\r\n  [ zelta travex ]  \r\n  wndcount = 12  \r\n' >"$ini"
printf 'DataDir = "C:\\My Data" \r\nneg=-1\r\nmixed=12abc\r\nempty=\r\nbare\r\nquoted=""\r\n' >>"$ini"
printf "single='x'\r\nhalf=\"x\r\nhex=0x1F\r\nupper=0X1F\r\nmhex=-0x10\r\noct=0o17\r\n" >>"$ini"
printf 'bin=0b102\r\nbig=4294967295\r\n[ZELTA TRAVEX]\r\nlate=5\r\n' >>"$ini"
"$wine_env" run "$prefix" "$mingw/tests/windows/profile_check.exe" "$(windows_path "$ini")" \
    "ZELTA TRAVEX" WNDCOUNT DataDir neg mixed empty bare quoted single half hex upper mhex oct bin \
    big late 2>/dev/null | tr -d '\r' >"$work/profile.out"
expect "profile reading rules" "$work/profile.out" "WNDCOUNT int=12 string=<12>" \
    'DataDir int=0 string=<C:\My Data>' "neg int=-1 string=<-1>" "mixed int=12 string=<12abc>" \
    "empty int=-777 string=<>" "bare int=-777 string=<dflt>" "quoted int=-777 string=<>" \
    "single int=0 string=<x>" 'half int=0 string=<"x>' "hex int=31 string=<0x1F>" \
    "upper int=0 string=<0X1F>" "mhex int=-16 string=<-0x10>" "oct int=15 string=<0o17>" \
    "bin int=2 string=<0b102>" "big int=-1 string=<4294967295>" "late int=-777 string=<dflt>"

[ $fails -eq 0 ] && echo PASS
exit $fails
