# Shared by the Wine tests that run TRAVEX.exe: a display, the Wine session, the application's
# settings file, the test driver and the checks. Sourced with $prefix, $work and $mingw set.
wine_env=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)/scripts/wine-env
xvfb_pid=""
app_pids=()
fails=0
. "$(dirname "$wine_env")/lib/xvfb.sh"

end_session() {
    for pid in "${app_pids[@]}"; do kill "$pid" 2>/dev/null; done
    WINEPREFIX=$prefix timeout 60 wineserver -w 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
}
start_display() {
    [ -n "${DISPLAY:-}" ] || start_xvfb || { echo "FAIL: no display could be started"; exit 1; }
}
# A session left by an earlier test may lack this display: the application's must have it.
await_session_end() { WINEPREFIX=$prefix timeout 120 wineserver -w 2>/dev/null; }
settings_file() {
    find "$prefix/drive_c/users" -path '*/ZELTA/TM-RZ4 for RQ-7310/TM-RZ4.INI' 2>/dev/null | head -1
}
check() { # description command...
    local what=$1; shift
    "$@" || failed "$what"
}
failed() { echo "FAIL: $*"; fails=$((fails + 1)); }
expect() { # description expected command...
    local what=$1 want=$2; shift 2
    local got; got=$("$@" | tr -d '\r')
    [ "$got" = "$want" ] || failed "$what: '$got', expected '$want'"
}
drive() { "$wine_env" run "$prefix" "$mingw/tests/windows/app_driver.exe" "$@"; }
edit() { drive "$@"; }
shot() { /usr/bin/import -window root "$work/$1" 2>/dev/null || echo "no screenshot $1"; }
# Waits up to 20 s for a file the application writes to exist with some content.
await_file() { poll 20 "[ -s '$1' ]"; }
poll() { # seconds condition: evaluated every 0.1 s until it holds
    for _ in $(seq $(($1 * 10))); do
        eval "$2" && return 0
        sleep 0.1
    done
    return 1
}
windows_path() { echo "Z:$(echo "$1" | tr '/' '\\')"; }
start_app() { # folder
    "$wine_env" run "$prefix" "$1/TRAVEX.exe" >/dev/null 2>&1 &
    app_pids+=($!)
}
wait_exit() { # pid: exit status of the application, 124 when it does not end in 60 s
    poll 60 "! kill -0 $1 2>/dev/null" || return 124
    wait "$1"
}
# A fresh work folder with the application in "app" (and the folders named), a display, no Wine
# session left from an earlier test, no settings.
prepare_app() { # folder...
    [ -f "$mingw/app/TRAVEX.exe" ] || { echo "missing $mingw/app/TRAVEX.exe"; exit 1; }
    rm -rf "$work"; mkdir -p "$work/app"
    for folder in "$@"; do mkdir -p "$work/$folder"; done
    cp "$mingw/app/TRAVEX.exe" "$mingw/app/WTMQV7.TTF" "$work/app/"
    trap end_session EXIT
    start_display
    await_session_end
    settings_file | xargs -r -d "\n" rm -f
}
# Starts the copy in "app" and waits for its frame (a first start of the session may take minutes).
run_app() { # [locale]
    LC_ALL=${1:-en_US.UTF-8} LANG=${1:-en_US.UTF-8} start_app "$work/app"
    check "frame appears" drive wait-frame 240000
}
# Closes the frame, answering No to every save prompt; the process must end with 0.
close_app() {
    local pid=${app_pids[-1]}
    edit command 20009 >/dev/null
    for _ in $(seq 60); do
        kill -0 "$pid" 2>/dev/null || break
        edit answer "ZELTA TRAVEX" no 500 >/dev/null 2>&1
    done
    wait_exit "$pid" || failed "application ended with $?"
}
