#!/bin/bash
# The program as shipped in the deliverables folder: it starts, shows its
# splash for about a second, puts its icon in the tray, refuses a second
# copy, and ends at Exit with code 0, leaving nothing behind.
source "$(dirname "$0")/../../tests/e2e/lib.sh"
source "$(dirname "$0")/vantrel.sh"

reset_settings
start_windows_program "$VANTREL_OUT/Vantrel.exe"
pid=$LAST_PID

wait_for 30 "the splash window" window_exists CSplashWnd
shown=$(date +%s%N)
[ -n "${E2E_SPLASH_PNG:-}" ] && shot_of "$E2E_SPLASH_PNG" "$(window_by_title CSplashWnd)"
wait_for 10 "the splash to close" bash -c '! xdotool search --onlyvisible --name "^CSplashWnd$" | grep -q .'
splash_ms=$(ms_since "$shown")
note "splash shown for about ${splash_ms} ms"
[ "$splash_ms" -ge 500 ] && [ "$splash_ms" -le 3000 ] || fail "splash shown for ${splash_ms} ms"

wait_for 10 "the tray icon" window_exists 'Wine System Tray'
[ -n "${E2E_TRAY_PNG:-}" ] && shot_of "$E2E_TRAY_PNG" "$(window_by_title 'Wine System Tray')"
[ "$(ctl windows CMainFrame)" = 1 ] || fail "no main frame"
[ "$(ctl windows CMessageWnd)" = 1 ] || fail "no message window"

# A second copy ends at once without a window of its own.
start_windows_program "$VANTREL_OUT/Vantrel.exe"
second=$LAST_PID
started=$(date +%s%N)
await_exit "$second" 15; rc=$EXIT_CODE
note "second copy ended with $rc after $(ms_since "$started") ms"
[ "$(ctl windows CMainFrame)" = 1 ] || fail "the second copy made a frame"
wait_for 5 "the second copy to leave the process list" program_count 1

started=$(date +%s%N)
ctl command 57665 >/dev/null
await_exit "$pid" 10; rc=$EXIT_CODE
exit_ms=$(ms_since "$started")
note "Exit: code $rc after ${exit_ms} ms"
[ "$rc" = 0 ] || fail "exit code $rc"
[ "$exit_ms" -le 2000 ] || fail "Exit took ${exit_ms} ms"
no_program_left "at the end"

# Asked to close as an installer's restart manager asks: the process ends,
# so that the next start is not turned away by the single-instance check.
start_windows_program "$VANTREL_OUT/Vantrel.exe"
pid=$LAST_PID
frame_up() { [ "$(ctl frame)" = 1 ]; }
wait_for 30 "the main frame" frame_up
ctl closeapp || fail "the frame did not answer the close request"
await_exit "$pid" 10; rc=$EXIT_CODE
note "asked to close: code $rc"
[ "$rc" = 0 ] || fail "exit code $rc after the close request"
no_program_left "after the close request"
start_windows_program "$VANTREL_OUT/Vantrel.exe"
pid=$LAST_PID
wait_for 30 "the main frame of the next start" frame_up
ctl command 57665 >/dev/null
await_exit "$pid" 10
echo "PASS"
