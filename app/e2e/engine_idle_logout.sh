#!/bin/bash
# The idle log-out, with a test build of the program whose idle minute lasts
# five seconds: logged in at start-up with AutoLogoutMin 1, the user stays
# logged in while the mouse moves, and is logged out once it has rested for
# a minute; a right click then shows the one-entry menu of a logged-out
# program, and Log In opens the login dialog.
source "$(dirname "$0")/../../tests/e2e/lib.sh"
source "$(dirname "$0")/vantrel.sh"
source "$(dirname "$0")/engine_setup.sh"

minute_ms=5000
setup_demo_login "$E2E_TMP"
regset AutoLogoutMin REG_DWORD 1
dir=$(program_copy idle Vantrel.exe)
cp "$VANTREL_BIN/shortminute/Vantrel.exe" "$dir/"
# The log-out request writes "Vantrel logout!" as debug output.
debug_log="$E2E_TMP/debug.log"
(cd "$dir" && exec env -u WINEPATH WINEDEBUG=-all,+debugstr wine "$dir/Vantrel.exe" </dev/null >"$debug_log" 2>&1) &
E2E_PIDS+=($!)
pid=$!
logged_out() { grep -q 'Vantrel logout!' "$debug_log"; }

start_notepad
wait_until_started

# root_height: opens the root menu in notepad and closes it again; prints
# its height.
root_height() {
    open_root
    local l t r b
    read -r l t r b <<<"$(ctl rects CMenuWnd)"
    xdotool mousemove --window "$NOTEPAD_WIN" 50 300 click 1
    wait_for 10 "the menus to close" has_menus 0
    wait_for 10 "notepad's pop-up to close" bash -c '! wine "$VANTREL_BIN/vantrelctl.exe" popup >/dev/null 2>&1'
    echo $((b - t))
}
logged_in_height=$(root_height)
note "logged in: the root menu is $logged_in_height pixels high"

# Moving the mouse for two minutes keeps the user logged in.
end=$((SECONDS + 2 * minute_ms / 1000))
while [ $SECONDS -lt $end ]; do
    xdotool mousemove_relative 1 1
    sleep 0.2
    xdotool mousemove_relative -- -1 -1
    rested=$(date +%s%N)
    sleep 0.2
done
logged_out && fail "logged out while the mouse was moving"

# At rest, the log-out comes a minute after the last move (the timer may
# fire a few milliseconds early).
wait_for 30 "the idle log-out" logged_out
rest_ms=$(ms_since "$rested")
note "logged out after ${rest_ms} ms at rest (a minute is ${minute_ms} ms)"
[ "$rest_ms" -ge $((minute_ms - 50)) ] || fail "logged out after ${rest_ms} ms, before a minute passed"

# Logged out: the menu is the one entry of the default tree, and Log In
# opens the dialog (while logged in it would log out).
logged_out_height=$(root_height)
note "logged out: the root menu is $logged_out_height pixels high"
[ "$logged_out_height" -lt "$logged_in_height" ] || fail "the menu did not go back to the logged-out one"
ctl command 32781 >/dev/null
wait_for 15 "the login dialog" window_exists 'Log In to a Menu'
ctl press 'Log In to a Menu' 2 >/dev/null
wait_for 15 "the login dialog to close" bash -c '! xdotool search --onlyvisible --name "^Log In to a Menu$" | grep -q .'

ctl command 57665 >/dev/null
await_exit "$pid" 15
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
echo "PASS"
