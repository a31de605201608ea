#!/bin/bash
# Logging in from the tray menu through the login dialog to a menu file made
# by vntool, for a writer and for a reader, and logging out again: the tray
# menu offers each of them their own commands.
source "$(dirname "$0")/../../tests/e2e/lib.sh"
source "$(dirname "$0")/vantrel.sh"

dir=$(program_copy login VantrelHK.dll)
cp "$VANTREL_BIN/hookstandin/VantrelHK.dll" "$dir/"
hook_log="$E2E_TMP/hook.log"
menu_log="$E2E_TMP/menu.txt"
export VANTREL_HOOK_LOG=$(winepath -w "$hook_log") VANTREL_MENU_LOG=$(winepath -w "$menu_log")

# Office: "writer" (w1) may change it, "reader" (r1) may only use it.
json="$VANTREL_SRC/app/e2e/office-menu.json"
menu_file="$E2E_TMP/office.vn"
build_menu_file "$json" "$menu_file"

reset_settings
regset File REG_SZ "$(winepath -w "$menu_file")"
regset Remember REG_DWORD 1

start_copy "$dir"
pid=$LAST_PID
wait_for 30 "the tray icon" window_exists 'Wine System Tray'
wait_for 10 "the hook to be installed" grep -qx 'InstallMenu 1 1' "$hook_log"

menu_closed() { ! ctl popup >/dev/null; }
close_tray_menu() {
    xdotool mousemove 1 1 click 1
    wait_for 10 "the tray menu to close" menu_closed
}
# offers "IDS..." / lacks "IDS...": the open tray menu has (has not) each item.
offers() { for id in "$@"; do [ -n "$(menu_item "$id")" ] || fail "the tray menu lacks $id"; done; }
lacks() { for id in "$@"; do [ -z "$(menu_item "$id")" ] || fail "the tray menu offers $id"; done; }
# wait_menu offers|lacks ID: the worker logs in and out after the command,
# so open the tray menu until it shows the new state (it stays open then).
wait_menu() {
    local tries=0
    while :; do
        open_tray_menu
        if [ "$1" = offers ]; then [ -n "$(menu_item "$2")" ]; else [ -z "$(menu_item "$2")" ]; fi && return 0
        close_tray_menu
        tries=$((tries + 1))
        [ $tries -lt 20 ] || fail "the tray menu never came to $1 $2"
        sleep 0.5
    done
}
dialog_closed() { ! xdotool search --onlyvisible --name "^Log In to a Menu$" | grep -q .; }

# log_in USER PASSWORD: the dialog comes from the tray menu with the
# remembered values, which it checks against the file before it closes.
log_in() {
    regset User REG_SZ "$1"
    regset Password REG_SZ "$2"
    open_tray_menu
    offers 32781
    click_menu_item 32781
    wait_for 15 "the login dialog" window_exists 'Log In to a Menu'
    ctl press 'Log In to a Menu' 1 >/dev/null
    wait_for 15 "the login dialog to close" dialog_closed
    [ "$(setting Vantrel)" = Office ] || fail "the menu name was not remembered"
}
log_out() {
    open_tray_menu
    click_menu_item 32781
}

# A wrong password keeps the dialog open with its message.
regset User REG_SZ writer
regset Password REG_SZ wrong
open_tray_menu
lacks 32777 32789 32790 32791
click_menu_item 32781
wait_for 15 "the login dialog" window_exists 'Log In to a Menu'
ctl press 'Log In to a Menu' 1 >/dev/null
wait_for 15 "the refusal" window_exists 'Vantrel'
[ "$(ctl count 'Log In to a Menu')" = 1 ] || fail "the dialog closed on a wrong password"
ctl press 'Vantrel' 1 >/dev/null
wait_for 10 "the message to close" bash -c '! xdotool search --onlyvisible --name "^Vantrel$" | grep -q .'
ctl press 'Log In to a Menu' 2 >/dev/null
wait_for 15 "the login dialog to close" dialog_closed

log_in writer w1
wait_menu offers 32789
offers 32777 32789 32791
lacks 32790
close_tray_menu
log_out
wait_menu lacks 32789
lacks 32777 32789 32790 32791
close_tray_menu

log_in reader r1
wait_menu offers 32790
offers 32790
lacks 32777 32789 32791
close_tray_menu

ctl command 57665 >/dev/null
wait_for 30 "the program to end" bash -c "! kill -0 $pid 2>/dev/null"
note "logged in and out through the dialog as a writer and as a reader"
