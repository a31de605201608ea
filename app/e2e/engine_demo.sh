#!/bin/bash
# `make run`: the program logged in to the bundled demo menu with Wine's
# notepad open. With DEMO_INTERACTIVE set it leaves both running for a
# person (right-click into notepad's text); otherwise it right-clicks,
# chooses Texts > Greeting and prints what notepad then holds.
source "$(dirname "$0")/../../tests/e2e/lib.sh"
source "$(dirname "$0")/vantrel.sh"
source "$(dirname "$0")/engine_setup.sh"

step() { echo "Vantrel demo: $*"; }

setup_demo_login "$E2E_TMP"
step "built the demo menu file and set the start-up login (menu Demo, user demo)"
start_notepad
step "notepad is open"
start_vantrel
pid=$LAST_PID
step "Vantrel is running and logged in"

if [ -n "${DEMO_INTERACTIVE:-}" ]; then
    step "right-click into notepad's text: our menu shows against notepad's pop-up."
    step "Choose Exit from Vantrel's tray menu (the Wine System Tray window) to end."
    while kill -0 "$pid" 2>/dev/null; do sleep 1; done
    exit 0
fi

open_root
step "right-clicked in notepad: its pop-up is at $(ctl popup), our root menu at $(ctl rects CMenuWnd)"
read -r rl rt rr rb <<<"$(ctl rects CMenuWnd)"
rest_at $((rl + 40)) $((rt + 10))
wait_for 10 "the submenu" has_menus 2
step "hovered Texts: its submenu opened"
[ -n "${E2E_SCREENSHOT:-}" ] && screenshot "$E2E_SCREENSHOT" && step "saved $E2E_SCREENSHOT"
read -r sl st sr sb <<<"$(ctl rects CMenuWnd | sort -n | awk -v l="$rl" '$1 != l' | head -n 1)"
rest_at $((sl + 40)) $((st + 10))
sleep 0.3
xdotool click 1
wait_for 10 "the menus to close" has_menus 0
step "clicked Greeting: the menus closed"
deadline=$((SECONDS + 10))
until [ "$(ctl notepad)" = 'Hello\r\nWorld!\r\n' ] || [ $SECONDS -ge $deadline ]; do sleep 0.2; done
step "notepad's text is now: $(ctl notepad)"
ctl command 57665 >/dev/null
await_exit "$pid" 15
step "Vantrel ended with code $EXIT_CODE"
