# Helpers for the program's end-to-end cases; sourced after tests/e2e/lib.sh.

SETTINGS_KEY='HKCU\Software\Amber Heron, Inc\Vantrel'

# ctl ARGS...: the test helper that reads and pokes the running program.
# The helper names each failure of its own on stderr; a failure without that
# line comes from Wine before the helper ran (as `reg add` once failed in a
# clean-clone run), and is noted with Wine's error lines and tried again,
# three tries in all.
ctl() {
    local said="$E2E_TMP/ctl.$BASHPID.err" rc attempt status
    for attempt in 1 2 3; do
        rc=0
        if ! WINEDEBUG=-all,err+all wine "$VANTREL_BIN/vantrelctl.exe" "$@" </dev/null 2>"$said" | tr -d '\r'; then
            status=("${PIPESTATUS[@]}")
            rc=${status[0]}
            # A reader that stopped early (grep -q) is no failure of the helper.
            [ "$rc" != 0 ] || { rc=${status[1]}; break; }
        fi
        [ $rc != 0 ] && ! grep -q '^vantrelctl ' "$said" && [ $attempt -lt 3 ] || break
        echo "-- vantrelctl $1 exited $rc before it ran (try $attempt); trying again." \
            "Wine said: $(tr -d '\r' <"$said" | tail -n 5 | tr '\n' ' ')" >&2
    done
    rm -f "$said"
    return $rc
}

# program_copy NAME [SKIP...]: the program and its files in a folder of its
# own, without the files named; prints the folder.
program_copy() {
    local dir="$E2E_TMP/$1" file; shift
    mkdir -p "$dir"
    for file in Vantrel.exe AhCommon.dll VantrelHK.dll vnEng.dll vnChs.dll vnCht.dll Vantrel.ico; do
        case " $* " in *" $file "*) continue ;; esac
        cp "$VANTREL_OUT/$file" "$dir/"
    done
    echo "$dir"
}

# start_copy DIR: starts DIR/Vantrel.exe, which finds its libraries only
# beside itself (not on the session's search path).
start_copy() {
    (cd "$1" && exec env -u WINEPATH wine "$1/Vantrel.exe" </dev/null >>"$E2E_TMP/wine.log" 2>&1) &
    E2E_PIDS+=($!)
    LAST_PID=$!
}

# reset_settings: none of the program's settings left. reg delete fails when
# there is nothing to delete, so the key's absence is what is checked.
reset_settings() {
    wait_for 10 "the program's settings to be deleted" settings_deleted
}
settings_deleted() {
    local said rc=0
    wine reg delete "$SETTINGS_KEY" /f </dev/null >/dev/null 2>&1 || true
    said=$(wine reg query "$SETTINGS_KEY" </dev/null 2>&1) || rc=$?
    # Absent only when reg says so: a silent failure proves nothing.
    [ $rc != 0 ] && [ -n "$(tr -d '\r\n' <<<"$said")" ]
}

# regset NAME TYPE DATA: writes one of the program's settings.
regset() {
    wine_tool "reg add of the setting $1" wine reg add "$SETTINGS_KEY\\Settings" /v "$1" /t "$2" /d "$3" /f
}

# build_menu_file JSON FILE: the menu file FILE made by vntool from JSON.
build_menu_file() {
    wine_tool "vntool could not build the menu file" \
        wine "$VANTREL_OUT/vntool.exe" build "$(winepath -w "$1")" "$(winepath -w "$2")"
}

# setting NAME: the value as `reg query` shows it (e.g. 0x1), or nothing.
setting() {
    wine reg query "$SETTINGS_KEY\\Settings" /v "$1" </dev/null 2>/dev/null | tr -d '\r' |
        awk -v name="$1" '$1 == name {print $3}'
}

# program_count N: exactly N Vantrel.exe processes run in this Wine session.
program_count() {
    [ "$(ctl procs Vantrel.exe)" = "$1" ]
}

# no_program_left WHEN: no Vantrel.exe process remains in this Wine session;
# WHEN ends the failure's sentence. Waits up to 5 s, because Wine's server
# drops an ended process only when it notices the process's connection
# close, which can come after the Linux process is gone; a process that
# really stays still fails the check, and the Linux processes of that name
# are listed, to tell the two apart.
no_program_left() {
    WAIT_EXPLAIN=list_linux_programs wait_for 5 "no Vantrel process to be left $1" program_count 0
}
list_linux_programs() {
    echo "Linux processes named Vantrel.exe (pid, state, age, command):"
    ps -eo pid=,stat=,etime=,args= | grep -i '[v]antrel\.exe' || echo "  none"
}

# shot_of FILE WINDOW...: a picture of the display cropped to the smallest
# rectangle that holds the given X windows, for the user guide.
shot_of() {
    local file=$1 w x y width height left=1000000 top=1000000 right=0 bottom=0; shift
    for w in "$@"; do
        read -r x y width height <<<"$(xdotool getwindowgeometry --shell "$w" |
            awk -F= '{v[$1] = $2} END {print v["X"], v["Y"], v["WIDTH"], v["HEIGHT"]}')"
        [ -n "$height" ] || fail "no geometry for window $w"
        ((x < left)) && left=$x
        ((y < top)) && top=$y
        ((x + width > right)) && right=$((x + width))
        ((y + height > bottom)) && bottom=$((y + height))
    done
    ((right > left)) || fail "no window to picture for $file"
    import -display "$DISPLAY" -window root -crop "$((right - left))x$((bottom - top))+$left+$top" +repage "$file"
}

# program_windows: the program's visible top-level X windows but its splash
# (menus, dialogs), one id a line.
program_windows() {
    local w
    for w in $(xdotool search --onlyvisible --classname '^vantrel\.exe$' 2>/dev/null || true); do
        [ "$(xdotool getwindowname "$w" 2>/dev/null)" = CSplashWnd ] || echo "$w"
    done
}

# ms_since START_NS: milliseconds since a `date +%s%N` value.
ms_since() {
    echo $((($(date +%s%N) - $1) / 1000000))
}

# open_tray_menu_for_keys: right-clicks the tray icon and gives the menu
# that opens the keyboard focus, so that keys choose its items. The icon
# ignores clicks while the program is busy (logging in or out, typing an
# item), so it clicks again until a window of the program opens.
open_tray_menu_for_keys() {
    local before menu="" w tries i
    before=$(xdotool search --onlyvisible --name '' 2>/dev/null || true)
    for tries in 1 2 3 4 5; do
        click_tray_icon 3
        for i in $(seq 20); do
            sleep 0.2
            for w in $(xdotool search --onlyvisible --classname '^vantrel\.exe$' 2>/dev/null || true); do
                grep -qx "$w" <<<"$before" || menu=$w
            done
            [ -n "$menu" ] && break 2
        done
    done
    [ -n "$menu" ] || fail "no menu opened"
    xdotool windowfocus "$menu"
}

# With the hook stand-in, which writes each tray menu it is shown into
# $menu_log: right-clicks the tray icon until the menu is listed (a click is
# ignored while the engine is busy, with a login or the last menu).
open_tray_menu() {
    local tries i
    for tries in 1 2 3 4 5 6; do
        rm -f "$menu_log"
        click_tray_icon 3
        for i in $(seq 20); do
            [ -s "$menu_log" ] && return 0
            sleep 0.25
        done
    done
    fail "the tray menu did not open"
}
# The listed tray menu's line for command ID: id, state, x, y, text.
menu_item() { awk -v id="$1" '$1 == id' "$menu_log"; }
click_menu_item() {
    local x y
    read -r _ _ x y _ <<<"$(menu_item "$1")"
    [ -n "$y" ] || fail "no item $1 in the menu"
    xdotool mousemove "$x" "$y" click 1
}
