#!/bin/bash
# Start-up ends early, with the right message or none, when a file it needs
# is missing from the program's folder.
source "$(dirname "$0")/../../tests/e2e/lib.sh"
source "$(dirname "$0")/vantrel.sh"
source "$(dirname "$0")/engine_setup.sh"

# The hook library missing: no window, no message.
dir=$(program_copy nohook VantrelHK.dll)
start_copy "$dir"
await_exit "$LAST_PID" 20; rc=$EXIT_CODE
note "without the hook library: code $rc"
[ "$rc" != 0 ] || fail "start-up succeeded without the hook library"
[ "$(ctl windows CMainFrame)" = 0 ] || fail "a frame was left"
! window_exists CSplashWnd || fail "a splash was left"
no_program_left "after a start-up without the hook library"

# expect_message FOLDER LINE...: the program shows a message with these
# lines, and ends once it is closed.
expect_message() {
    start_copy "$1"
    local pid=$LAST_PID line
    shift
    wait_for 20 "the message '$1'" bash -c "wine '$VANTREL_BIN/vantrelctl.exe' texts Vantrel 2>/dev/null | tr -d '\r' | grep -qF '$1'"
    local shown
    shown=$(ctl texts Vantrel)
    note "message shown: $(echo "$shown" | tr '\n' '|')"
    for line in "$@"; do
        grep -qxF "$line" <<<"$shown" || fail "message lacks '$line'"
    done
    [ "$(ctl windows CMainFrame)" = 0 ] || fail "a frame exists beside the message"
    ctl press Vantrel 1 >/dev/null
    local rc
    await_exit "$pid" 20; rc=$EXIT_CODE
    [ "$rc" != 0 ] || fail "start-up succeeded"
    no_program_left "after the message"
}

expect_message "$(program_copy noicon Vantrel.ico)" "Unable to get icon."
expect_message "$(program_copy nolang vnEng.dll)" "Load vnEng.dll failed." "Return code was:126"

# Settings that name no usable menu file, or hold damaged values, do not stop
# the program: it shows its icon, a refused automatic login brings the login
# dialog back, and Exit ends it with code 0.
mkdir -p "$E2E_TMP/folder.vn"
head -c 100M /dev/urandom >"$E2E_TMP/random.vn"
build_menu_file "$VANTREL_SRC/app/e2e/demo-menu.json" "$E2E_TMP/demo.vn"
login_dialog_up() { [ "$(ctl count 'Log In to a Menu')" -ge 1 ]; }
frame_up() { [ "$(ctl frame)" = 1 ]; }

# start_with_settings DESCRIPTION FILE DES MINUTES: the program started with
# an automatic login from these settings.
start_with_settings() {
    note "$1"
    reset_settings
    regset AutoEnter REG_DWORD 1
    regset File REG_SZ "$(winepath -w "$2")"
    regset Vantrel REG_SZ Demo
    regset User REG_SZ demo
    regset Password REG_SZ demo
    regset Des REG_SZ "$3"
    regset AutoLogoutMin REG_DWORD "$4"
    start_windows_program "$VANTREL_OUT/Vantrel.exe"
    wait_for 30 "the tray icon" window_exists 'Wine System Tray'
    wait_for 30 "the main frame" frame_up
}

# exit_cleanly: Exit ends the program with code 0 within 10 seconds.
exit_cleanly() {
    local pid=$LAST_PID rc
    ctl command 57665 >/dev/null
    await_exit "$pid" 10; rc=$EXIT_CODE
    [ "$rc" = 0 ] || fail "exit code $rc"
    no_program_left "after Exit"
}

for row in "a folder|$E2E_TMP/folder.vn" "100 MB of random bytes|$E2E_TMP/random.vn"; do
    start_with_settings "File names ${row%%|*}" "${row#*|}" "" 5
    wait_for 20 "the login dialog after the refused login" login_dialog_up
    ctl press 'Log In to a Menu' 2 >/dev/null
    wait_for 10 "the login dialog to close" bash -c '! xdotool search --onlyvisible --name "^Log In to a Menu$" | grep -q .'
    exit_cleanly
done

# A garbage item key and 250 idle minutes: the menu of plain texts opens all
# the same beside notepad's pop-up, and no login dialog came.
start_with_settings "Des garbage, AutoLogoutMin 250" "$E2E_TMP/demo.vn" 'zz!!not hex' 250
vantrel_pid=$LAST_PID
start_notepad
open_root
! login_dialog_up || fail "the login was refused"
close_both
LAST_PID=$vantrel_pid
exit_cleanly
echo "PASS"
