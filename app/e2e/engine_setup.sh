# The demo login for the engine's cases and `make run`; sourced after
# tests/e2e/lib.sh and vantrel.sh.

# setup_demo_login DIR: builds the demo menu file from the JSON in the tree
# into DIR and sets the registry so that the program logs in to it at
# start-up (menu "Demo", user "demo", password "demo").
setup_demo_login() {
    local menu_file="$1/demo.vn"
    build_menu_file "$(dirname "${BASH_SOURCE[0]}")/demo-menu.json" "$menu_file"
    reset_settings
    regset File REG_SZ "$(winepath -w "$menu_file")"
    regset Vantrel REG_SZ Demo
    regset User REG_SZ demo
    regset Password REG_SZ demo
    regset AutoEnter REG_DWORD 1
}

# start_notepad: Wine's notepad at a known place; sets NOTEPAD_WIN.
start_notepad() {
    start_windows_program notepad
    wait_for 30 "notepad" bash -c 'xdotool search --onlyvisible --name "Notepad" | grep -q .'
    NOTEPAD_WIN=$(xdotool search --onlyvisible --name "Notepad" | head -n 1)
    xdotool windowmove "$NOTEPAD_WIN" 100 80 windowsize "$NOTEPAD_WIN" 500 400
}

menu_windows() { ctl count CMenuWnd; }
has_menus() { [ "$(menu_windows)" = "$1" ]; }
popup_open() { ctl popup >/dev/null; }
# close_both: a left click in notepad's text closes its pop-up and our menu.
close_both() {
    xdotool mousemove --window "$NOTEPAD_WIN" 50 300 click 1
    wait_for 10 "our menu to close" has_menus 0
    wait_for 10 "notepad's pop-up to close" bash -c '! wine "$VANTREL_BIN/vantrelctl.exe" popup >/dev/null 2>&1'
}
# median_and_worst: of the numbers on standard input.
median_and_worst() {
    sort -n | awk '{ v[NR] = $1 } END { m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2;
        printf "%.1f %.1f\n", m, v[NR] }'
}

# open_root: right click in notepad's text; its pop-up and our root menu
# against it show with the mouse held still.
open_root() {
    xdotool mousemove --window "$NOTEPAD_WIN" 200 150 click 3
    WAIT_EXPLAIN=explain_menus wait_for 15 "notepad's pop-up menu" popup_open
    WAIT_EXPLAIN=explain_menus wait_for 15 "our root menu, the mouse still" has_menus 1
}

# explain_menus: whether the mouse events reached the hook, what the worker
# made of them, and where the menus and the pointer are.
explain_menus() {
    echo "hook figures: $(ctl hookstats | tr '\n' ' ')"
    echo "menu windows (left top right bottom): $(ctl rects CMenuWnd | tr '\n' ';')"
    echo "notepad's pop-up: $(ctl popup || echo none)"
    echo "pointer: $(xdotool getmouselocation)"
}

# rest_at X Y: moves there as a hand would, in two small steps.
rest_at() {
    xdotool mousemove "$1" "$2"
    sleep 0.1
    xdotool mousemove $(($1 + 1)) $(($2 + 1))
}

# wait_until_started: the program's tray icon is there and its splash gone.
wait_until_started() {
    wait_for 30 "the tray icon" window_exists 'Wine System Tray'
    wait_for 10 "the splash to close" bash -c '! xdotool search --onlyvisible --name "^CSplashWnd$" | grep -q .'
}

# start_vantrel: the built program, started; sets LAST_PID.
start_vantrel() {
    start_windows_program "$VANTREL_OUT/Vantrel.exe"
    wait_until_started
}

# await_notepad_text TEXT: waits until notepad holds TEXT (CR and LF written
# as \r and \n).
await_notepad_text() {
    local deadline=$((SECONDS + 10))
    until [ "$(ctl notepad)" = "$1" ]; do
        [ $SECONDS -lt $deadline ] || fail "notepad's text is '$(ctl notepad)', not '$1'"
        sleep 0.2
    done
}
