#!/usr/bin/env bash
# The settings rules over the Win32 private-profile functions under Wine: a new user's defaults
# (and OutBuffer=30 in the file right after reading), the edge values, and the frame-close writes.
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

# A new user.
run >"$work/new.out"
expect "new user" "$work/new.out" window_limit=30 model=4 port_index=-1 font_size_index=5 \
    maximised=0 toolbar=1 keyboard=1 timer_interval_ms=100 retry_count=30 out_buffer=30 \
    "data_folder=(desktop)" "settings file name=TM-RZ4.INI"
tr -d '\r' <"$ini" >"$work/new.ini"
expect "file after the first start" "$work/new.ini" "[ZELTA TRAVEX]" "OutBuffer=30"
[ "$(grep -c = "$work/new.ini")" -eq 1 ] || { echo "FAIL: reading wrote more than OutBuffer"; fails=$((fails + 1)); }

# Edge values, then a close while maximised.
data=$(windows_path "$work/data")
printf '[ZELTA TRAVEX]\r\nWndCount=0\r\nModelType=1\r\nRetryCount=0\r\nTimerInterval=-3\r\nWndStyle=7\r\nToolBar=7\r\nCommPort=4\r\nDataDir=%s\r\nOutBuffer=12\r\n' "$data" >"$ini"
run --close-maximised >"$work/edge.out"
expect "edge values" "$work/edge.out" window_limit=30 model=4 port_index=3 retry_count=0 \
    timer_interval_ms=100 maximised=0 toolbar=7 out_buffer=12 "data_folder=$data"
run >"$work/again.out"
expect "after the maximised close" "$work/again.out" maximised=1 "data_folder=$data"
tr -d '\r' <"$ini" >"$work/edge.ini"
expect "file after the close" "$work/edge.ini" ModelType=3 WndCount=30 CommPort=4 FontSize=5 \
    ToolBar=7 KerBoard=1 WndStyle=3 "DataDir=$data" RetryCount=0 TimerInterval=-3 OutBuffer=12

# A data folder that is gone gives the desktop.
printf '[ZELTA TRAVEX]\r\nDataDir=%s\r\n' "$(windows_path "$work/gone")" >"$ini"
run >"$work/gone.out"
expect "missing data folder" "$work/gone.out" "data_folder=(desktop)"

[ $fails -eq 0 ] && echo PASS
exit $fails
