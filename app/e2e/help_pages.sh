#!/bin/bash
# Every help command of the program opens its page of the HTML guide beside
# the program: a recorder registered as the program for .html files writes
# down each page the shell is asked to open. The Help buttons and F1 of the
# login, new-menu, users, new-user, user-properties, set-password and
# change-password dialogs, the designer's F1 and Help menu, the property
# palette's help button, and the tray's Help and Help Topics.
source "$(dirname "$0")/../../tests/e2e/lib.sh"
source "$(dirname "$0")/vantrel.sh"
source "$(dirname "$0")/engine_setup.sh"
source "$(dirname "$0")/designer_setup.sh"

# The program with the guide the build wrote beside it; while a build has no
# guide yet, a copy of the program with the few pages this case opens.
if [ -f "$VANTREL_OUT/guide/index.html" ]; then
    program="$VANTREL_OUT"
else
    program=$(program_copy help)
    mkdir -p "$program/guide"
    for page in index first-start login new-menu users change-password designer palette; do
        echo "<html><title>$page</title></html>" >"$program/guide/$page.html"
    done
    note "no guide beside the program: using stand-in pages"
fi
guide_win="$(winepath -w "$program/guide")"

# The recorder becomes the program for .html files (the shell reads the
# machine's classes); what was there before comes back at the end.
recorder="$E2E_TMP/openrecord.exe"
cp "$VANTREL_BIN/openrecord.exe" "$recorder"
log="$E2E_TMP/opened.log"
: >"$log"
html_key='HKLM\Software\Classes\.html'
saved_html="$E2E_TMP/html.reg"
had_html=0
wine reg export "$html_key" "$(winepath -w "$saved_html")" /y </dev/null >/dev/null 2>&1 && had_html=1
restore_html() {
    wine reg delete 'HKLM\Software\Classes\vantrel.openrecord' /f </dev/null >/dev/null 2>&1 || true
    wine reg delete "$html_key" /f </dev/null >/dev/null 2>&1 || true
    if [ $had_html = 1 ]; then wine reg import "$(winepath -w "$saved_html")" </dev/null >/dev/null 2>&1 || true; fi
    e2e_cleanup
}
trap restore_html EXIT
wine_tool "registering the recorder for .html" wine reg add "$html_key" /ve /d vantrel.openrecord /f
wine_tool "registering the recorder's command" \
    wine reg add 'HKLM\Software\Classes\vantrel.openrecord\shell\open\command' /ve \
    /d "\"$(winepath -w "$recorder")\" \"$(winepath -w "$log")\" \"%1\"" /f

# Office: "writer" (w1) may change it, "reader" (r1) may only use it.
json="$VANTREL_SRC/app/e2e/office-menu.json"
menu_file="$E2E_TMP/office.vn"
build_menu_file "$json" "$menu_file"
reset_settings
regset File REG_SZ "$(winepath -w "$menu_file")"
regset Vantrel REG_SZ Office
regset User REG_SZ writer
regset Password REG_SZ w1
regset Remember REG_DWORD 1

opened=0
# expect_page PAGE WHAT: the recorder has been started once more, with PAGE.
expect_page() {
    local want="$guide_win\\$1.html" last
    opened=$((opened + 1))
    wait_for 15 "$2 to open $1" bash -c "[ \$(wc -l <'$log') -ge $opened ]"
    sleep 0.5  # and once only
    [ "$(wc -l <"$log")" = "$opened" ] || fail "$2 opened more than one page: $(tr '\r\n' '  ' <"$log")"
    last=$(sed -n "${opened}p" "$log" | tr -d '\r')
    [ "$last" = "$want" ] || fail "$2 opened '$last', not '$want'; all opened: $(tr '\r\n' '  ' <"$log")"
    note "$2: $1"
}
# help_button TITLE PAGE / f1 TITLE PAGE: the dialog's Help button, or F1
# pressed in it, opens PAGE.
help_button() {
    ctl press "$1" 57670 >/dev/null || fail "no window '$1'"
    expect_page "$2" "Help in '$1'"
}
# focused_on TITLE: the keyboard focus is in the window so titled.
focused_on() { [ "$(ctl focus | cut -f1)" = "$1" ]; }
# focus_on TITLE [WINDOW]: asks for the focus in the window so titled (or in
# the X window given), again until it is there: a request made while the
# window cannot take it yet (its modal child only just closed) is lost.
focus_on() {
    xdotool windowfocus "${2:-$(window_by_title "$1")}" 2>/dev/null || true
    focused_on "$1"
}
# first_row_chosen: the focused list's first row is selected.
first_row_chosen() { [ "$(ctl selected)" = 0 ]; }
f1() {
    wait_for 10 "the focus in '$1'" focus_on "$1"
    xdotool key F1
    expect_page "$2" "F1 in '$1'"
}
# open_dialog COMMAND TITLE: the tray command, again while a login the
# worker runs has not yet made it available, until the dialog shows.
open_dialog() {
    local tries
    for tries in $(seq 20); do
        ctl command "$1" >/dev/null
        for _ in 1 2 3 4 5; do
            window_exists "$2" && return 0
            sleep 0.2
        done
    done
    fail "the tray command $1 did not open '$2'"
}
close_dialog() {
    ctl press "$1" 2 >/dev/null
    wait_for 10 "'$1' to close" bash -c "! xdotool search --onlyvisible --name '^$1\$' | grep -q ."
}
log_in() {
    open_dialog 32781 'Log In to a Menu'
    ctl press 'Log In to a Menu' 1 >/dev/null
    wait_for 15 "the login dialog to close" bash -c '! xdotool search --onlyvisible --name "^Log In to a Menu$" | grep -q .'
}

start_copy_or_program() {
    if [ "$program" = "$VANTREL_OUT" ]; then start_vantrel; else start_copy "$program"; wait_until_started; fi
}
start_copy_or_program
pid=$LAST_PID

open_dialog 32781 'Log In to a Menu'
help_button 'Log In to a Menu' login
f1 'Log In to a Menu' login
ctl press 'Log In to a Menu' 1 >/dev/null
wait_for 15 "the login dialog to close" bash -c '! xdotool search --onlyvisible --name "^Log In to a Menu$" | grep -q .'

open_dialog 32780 'New Menu'
help_button 'New Menu' new-menu
f1 'New Menu' new-menu
close_dialog 'New Menu'

open_dialog 32789 Users
help_button Users users
f1 Users users
ctl press Users 32788 >/dev/null
wait_for 10 "the new-user dialog" window_exists 'New User'
f1 'New User' users
close_dialog 'New User'
# The first user, chosen with the keyboard, for the two commands on it.
wait_for 10 "the focus in Users" focus_on Users
xdotool key Home
wait_for 10 "the first user chosen" first_row_chosen
ctl press Users 32793 >/dev/null
wait_for 10 "the user-properties dialog" window_exists 'User Properties'
f1 'User Properties' users
close_dialog 'User Properties'
ctl press Users 32794 >/dev/null
wait_for 10 "the set-password dialog" window_exists 'Set Password'
f1 'Set Password' users
close_dialog 'Set Password'
ctl press Users 32795 >/dev/null
wait_for 10 "the users dialog to close" bash -c '! xdotool search --onlyvisible --name "^Users$" | grep -q .'

ctl command 32777 >/dev/null
wait_for 15 "the designer" designer_open
designer_window=$(xdotool search --onlyvisible --name "^$DESIGNER" | head -n 1)
wait_for 10 "the focus in the designer" focus_on "$(ctl title "$DESIGNER")" "$designer_window"
xdotool key F1
expect_page designer "F1 in the designer"
xdotool key alt+h
wait_for 10 "the designer's Help menu to open" ctl menumode
xdotool key Return
expect_page designer "the designer's Help menu"
click_item 1 0
xdotool key alt+Return
wait_for 10 "the property palette" bash -c '[ "$(wine "$VANTREL_BIN/vantrelctl.exe" count "Item Properties" 2>/dev/null | tr -d "\r")" = 1 ]'
ctl press 'Item Properties' 32797 >/dev/null
expect_page palette "the palette's help button"
f1 'Item Properties' palette
ctl press "$(ctl title "$DESIGNER")" 32785 >/dev/null  # Close
wait_for 15 "the designer to close" designer_closed

ctl command 57667 >/dev/null
expect_page index "the tray's Help Topics"
ctl command 57670 >/dev/null
expect_page first-start "the tray's Help"

# Only a reader changes their own password.
ctl command 32781 >/dev/null  # log out
regset User REG_SZ reader
regset Password REG_SZ r1
sleep 1
log_in
open_dialog 32790 'Change Password'
help_button 'Change Password' change-password
f1 'Change Password' change-password
close_dialog 'Change Password'

sleep 1
[ "$(wc -l <"$log")" = "$opened" ] || fail "more pages opened than asked for: $(cat "$log")"
ctl command 57665 >/dev/null
wait_for 30 "the program to end" bash -c "! kill -0 $pid 2>/dev/null"
echo PASS
