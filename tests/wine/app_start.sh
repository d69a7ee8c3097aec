#!/usr/bin/env bash
# TRAVEX.exe under Wine on a first start: the frame comes up, the calculator font is installed
# for the editor, the editor's caption buttons are glyphs (not their codes as letters), and on a
# close request the process ends with 0, the font is removed and the new user's settings are
# written; a stored window limit holds on the next start. The screen is kept as app-frame.png.
# usage: app_start.sh NATIVE_CLI MINGW_BUILD_DIR WINEPREFIX WORK_DIR
set -u
mingw=$2 prefix=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib/app_session.sh"
prepare_app
run_app
check "calculator font installed" drive font-installed
check "caption buttons drawn as glyphs" drive caption
grep -q '^OutBuffer=30' "$(settings_file)" || failed "OutBuffer not written at start-up"
shot app-frame.png
check "frame closes" drive close 20000
wait_exit "${app_pids[-1]}" || failed "application ended with $?"
drive font-installed >/dev/null && failed "font still installed after exit"
for line in '\[ZELTA TRAVEX]' ModelType=3 WndCount=30 CommPort=0 FontSize=5 ToolBar=1 KerBoard=1 \
    WndStyle=5 OutBuffer=30 DataDir=; do
    grep -q "^$line" "$(settings_file)" || failed "settings file lacks $line"
done
# A stored window limit of 1: the start-up editor is the one window and New is refused.
sed -i 's/^WndCount=.*/WndCount=1/' "$(settings_file)"
run_app
drive command 20001
check "window limit" drive expect-message "The maximum number of open windows has been reached." 20000
close_app
echo "app_start: $fails failures; screenshot in $work"
exit $fails
