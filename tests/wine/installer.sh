#!/usr/bin/env bash
# The Windows installer in a fresh Wine prefix: a silent install puts the programs, shortcuts,
# uninstall entry and driver package in place; the installed TRAVEX.exe shows its frame (screenshot
# in the work folder); a silent uninstall takes it all away but leaves the user's settings and files.
set -u
mingw=$2 work=$4
root=$(dirname "$0")/../..
rm -rf "$work"; mkdir -p "$work"
prefix=$work/prefix  # a fresh prefix of its own, as on a machine that never had TRAVEX

bash "$root/scripts/package" --only installer --mingw-dir "$mingw" --out "$work/package" >"$work/package.log" 2>&1 ||
    { cat "$work/package.log"; echo "FAIL: installer not built"; exit 1; }
setup=$(ls "$work"/package/TRAVEX-*-setup.exe)
. "$(dirname "$0")/lib/app_session.sh"
trap end_session EXIT
start_display
"$wine_env" setup "$prefix" || { echo "FAIL: no Wine prefix"; exit 1; }

c=$prefix/drive_c
dir=$c/Program\ Files/ZELTA/TRAVEX
menu=$c/ProgramData/Microsoft/Windows/Start\ Menu/Programs/TRAVEX
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\TRAVEX'
reg_value() { # value name: its data, empty when absent
    "$wine_env" run "$prefix" reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' |
        awk -v name="$1" '$1 == name { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'
}

check "silent install" timeout 300 "$wine_env" run "$prefix" "$setup" /S
for file in TRAVEX.exe WTMQV7.TTF travex-cli.exe Uninstall.exe driver/QMUB417K.inf driver/QMUB417K.sys; do
    [ -f "$dir/$file" ] || failed "$file not installed"
done
for link in TRAVEX.lnk "Uninstall TRAVEX.lnk"; do
    [ -f "$menu/$link" ] || failed "no Start-menu shortcut $link"
done
expect "uninstall entry" "TRAVEX $(sed -n 's/^project(TRAVEX VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")" \
    reg_value DisplayName
expect "quiet uninstall command" '"C:\Program Files\ZELTA\TRAVEX\Uninstall.exe" /S' reg_value QuietUninstallString
staged=$(reg_value DriverInf)
[ -n "$staged" ] && cmp -s "$c/windows/inf/$staged" "$dir/driver/QMUB417K.inf" ||
    failed "driver package not staged ('$staged')"

# The installed application starts; it then writes its settings file.
await_session_end
"$wine_env" run "$prefix" "C:\\Program Files\\ZELTA\\TRAVEX\\TRAVEX.exe" >/dev/null 2>&1 &
app_pids+=($!)
check "installed TRAVEX.exe shows its frame" drive wait-frame 240000
shot installed-frame.png
check "frame closes" drive close 20000
wait_exit "${app_pids[-1]}" || failed "installed TRAVEX.exe did not end cleanly"
ini=$(settings_file)
[ -n "$ini" ] || failed "no settings file after the first start"
# The user's own files beside the program stay after the uninstall.
printf '[Repro]\n' >"$dir/repro.ini"
mkdir -p "$dir/data"; printf 'ABC' >"$dir/data/ONE.g6p"

# Silent uninstall: the uninstaller copies itself away and returns at once, so its end is the
# end of the Wine session.
check "silent uninstall" timeout 120 "$wine_env" run "$prefix" "$dir/Uninstall.exe" /S
WINEPREFIX=$prefix timeout 120 wineserver -w 2>/dev/null
left=$(cd "$dir" 2>/dev/null && find . -type f | sort | paste -sd' ')
[ "$left" = "./data/ONE.g6p ./repro.ini" ] || failed "left in the program folder: '$left'"
[ ! -e "$menu" ] || failed "Start-menu folder left"
"$wine_env" run "$prefix" reg query "$key" >/dev/null 2>&1 && failed "uninstall key left"
[ -z "$staged" ] || ! ls "$c/windows/inf" | grep -qix "${staged%.*}\.[ip]nf" || failed "$staged left in the driver store"
[ -z "$ini" ] || [ -f "$ini" ] || failed "the user's settings file was removed"
echo "installer: $fails failures; screenshot in $work"
exit $fails
