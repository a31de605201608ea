#!/bin/bash
# From the tray menu to notepad and back, with the real hook: the program
# starts logged out; Log In from the tray menu opens the login dialog on a
# menu file made by vntool; once logged in, a right click in notepad shows
# that menu against notepad's pop-up and its item types into notepad; Log
# Out from the tray menu puts back the one-entry menu of a logged-out
# program.
source "$(dirname "$0")/../../tests/e2e/lib.sh"
source "$(dirname "$0")/vantrel.sh"
source "$(dirname "$0")/engine_setup.sh"

json="$E2E_TMP/desk.json"
cat >"$json" <<'JSON'
{ "menus": [ { "name": "Desk",
  "users": [ { "name": "clerk", "password": "c1", "rights": "r" } ],
  "items": [ { "caption": "Greeting", "keystrokes": "Good morning" },
             { "caption": "Thanks", "keystrokes": "Thank you" },
             { "caption": "Farewell", "keystrokes": "Goodbye" } ] } ] }
JSON
menu_file="$E2E_TMP/desk.vn"
build_menu_file "$json" "$menu_file"
reset_settings
regset File REG_SZ "$(winepath -w "$menu_file")"

start_notepad
start_vantrel
pid=$LAST_PID

# root_height: the height of the root menu shown against the pop-up.
root_height() {
    local l t r b
    read -r l t r b <<<"$(ctl rects CMenuWnd)"
    echo $((b - t))
}
close_root() {
    xdotool mousemove --window "$NOTEPAD_WIN" 50 300 click 1
    wait_for 10 "the menus to close" has_menus 0
    wait_for 10 "notepad's pop-up to close" bash -c '! ctl popup'
}
# wait_root_height TEST HEIGHT WHAT: right-clicks until the root menu's
# height passes `[ root TEST HEIGHT ]`; the worker logs in and out after the
# dialog or the tray command, so the first right click may come too soon.
wait_root_height() {
    local tries=0 height
    while :; do
        open_root
        height=$(root_height)
        [ "$height" "$1" "$2" ] && return 0
        close_root
        tries=$((tries + 1))
        [ $tries -lt 20 ] || fail "the root menu never showed $3 (height $height)"
        sleep 0.5
    done
}
login_closed() { ! window_exists 'Log In to a Menu'; }

# Logged out, the root menu holds the single entry of the default menu.
open_root
logged_out_height=$(root_height)
close_root
note "logged out: root menu $logged_out_height pixels high"

# Log In from the tray menu: the dialog has the file's only menu chosen.
open_tray_menu_for_keys
xdotool key l
wait_for 15 "the login dialog" window_exists 'Log In to a Menu'
ctl settext 'Log In to a Menu' 1001 clerk || fail "could not type the user name"
ctl settext 'Log In to a Menu' 1006 c1 || fail "could not type the password"
ctl press 'Log In to a Menu' 1 >/dev/null
wait_for 15 "the login dialog to close" login_closed
[ "$(setting User)" = clerk ] || fail "the login was not remembered"

# Logged in: the menu of three items shows against notepad's pop-up, and
# its first item types into notepad.
wait_root_height -gt "$logged_out_height" "the logged-in menu"
read -r rl rt rr rb <<<"$(ctl rects CMenuWnd)"
note "logged in: root menu $rl $rt $rr $rb"
rest_at $((rl + 40)) $((rt + 10))
sleep 0.3
xdotool click 1
wait_for 10 "the menus to close" has_menus 0
await_notepad_text 'Good morning'
note "notepad's text: $(ctl notepad)"

# Log Out from the same tray command: the logged-in menu no longer comes
# with the pop-up, only the logged-out one.
open_tray_menu_for_keys
xdotool key l
wait_root_height -eq "$logged_out_height" "the logged-out menu again"
close_root

ctl command 57665 >/dev/null
await_exit "$pid" 15
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
echo "PASS"
