#!/bin/bash
# Start-up ends early, with the right message or none, when a file it needs
# is missing from the program's folder.
source "$(dirname "$0")/../../tests/e2e/lib.sh"
source "$(dirname "$0")/vantrel.sh"

# The hook library missing: no window, no message.
dir=$(program_copy nohook VantrelHK.dll)
start_copy "$dir"
await_exit "$LAST_PID" 20; rc=$EXIT_CODE
note "without the hook library: code $rc"
[ "$rc" != 0 ] || fail "start-up succeeded without the hook library"
[ "$(ctl windows CMainFrame)" = 0 ] || fail "a frame was left"
! window_exists CSplashWnd || fail "a splash was left"
no_program_left || fail "a Vantrel process is left"

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
    no_program_left || fail "a Vantrel process is left"
}

expect_message "$(program_copy noicon Vantrel.ico)" "Unable to get icon."
expect_message "$(program_copy nolang vnEng.dll)" "Load vnEng.dll failed." "Return code was:126"
echo "PASS"
