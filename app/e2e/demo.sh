#!/bin/bash
# A scripted tour of the program for `make run` without a display: start,
# tray menu, About, Exit. Prints each step; E2E_SCREENSHOT names the picture
# taken while the About box is open over the tray.
source "$(dirname "$0")/../../tests/e2e/lib.sh"
source "$(dirname "$0")/vantrel.sh"

step() { echo "Vantrel demo: $*"; }

start_windows_program "$VANTREL_OUT/Vantrel.exe"
pid=$LAST_PID
step "started $VANTREL_OUT/Vantrel.exe"
wait_for 30 "the splash window" window_exists CSplashWnd
step "the splash is showing"
wait_for 10 "the tray icon" window_exists 'Wine System Tray'
step "the icon is in the notification area (Wine's tray window)"
wait_for 10 "the splash to close" bash -c '! xdotool search --onlyvisible --name "^CSplashWnd$" | grep -q .'
step "the splash has closed"

open_tray_menu_for_keys
step "right-clicked the tray icon: the tray menu is open"
xdotool key a
wait_for 15 "the About box" window_exists 'About Vantrel'
step "chose About: $(ctl texts 'About Vantrel' | grep -m1 '^Version') is showing"
[ -n "${E2E_SCREENSHOT:-}" ] && screenshot "$E2E_SCREENSHOT" && step "saved $E2E_SCREENSHOT"
ctl press 'About Vantrel' 1 >/dev/null
wait_for 10 "the About box to close" bash -c '! xdotool search --onlyvisible --name "^About Vantrel$" | grep -q .'
step "closed the About box"

open_tray_menu_for_keys
step "opened the tray menu again"
started=$(date +%s%N)
xdotool key x
await_exit "$pid" 10
step "chose Exit: the program ended with code $EXIT_CODE after $(ms_since "$started") ms"
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
