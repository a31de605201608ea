#!/bin/bash
# The tray menu and its commands, with a stand-in hook library that records
# what the program asks of it and lists each menu the program opens.
source "$(dirname "$0")/../../tests/e2e/lib.sh"
source "$(dirname "$0")/vantrel.sh"

dir=$(program_copy tray VantrelHK.dll)
cp "$VANTREL_BIN/hookstandin/VantrelHK.dll" "$dir/"
hook_log="$E2E_TMP/hook.log"
menu_log="$E2E_TMP/menu.txt"
export VANTREL_HOOK_LOG=$(winepath -w "$hook_log") VANTREL_MENU_LOG=$(winepath -w "$menu_log")

reset_settings
start_copy "$dir"
pid=$LAST_PID
wait_for 30 "the tray icon" window_exists 'Wine System Tray'
wait_for 10 "the hook to be installed" grep -qx 'InstallMenu 1 1' "$hook_log"

open_tray_menu
note "tray menu: $(awk '$1 != "end" && $1 != 0 {print $1}' "$menu_log" | tr '\n' ' ')"
[ -n "${E2E_MENU_PNG:-}" ] && shot_of "$E2E_MENU_PNG" "$(window_by_title 'Wine System Tray')" $(program_windows)
for id in 32777 32789 32790 32791; do
    [ -z "$(menu_item $id)" ] || fail "logged-out menu offers $id"
done
for id in 32781 32778 32780 57667 57664 57665; do
    [ -n "$(menu_item $id)" ] || fail "menu lacks $id"
done
read -r _ state _ <<<"$(menu_item 32778)"
(( state & 8 )) || fail "Enable is not checked"
awk '$1 == 0 {if (prev == 0) exit 1} {prev = $1}' "$menu_log" || fail "two separators in a row"

# About from the menu; a second About only raises it.
click_menu_item 57664
wait_for 15 "the About box" window_exists 'About Vantrel'
version=$(sed -n 's/^#define VANTREL_VERSION_TEXT "\(.*\)"$/\1/p' "$VANTREL_BIN/../generated/vantrelversion.h")
[ -n "$version" ] || fail "no version in the build's version header"
ctl texts 'About Vantrel' | grep -qxF "Version $version" || fail "About shows no version $version"
ctl command 57664 >/dev/null
click_tray_icon 3  # with a dialog open the icon only raises it
sleep 1
[ "$(ctl count 'About Vantrel')" = 1 ] || fail "a second About box opened"
ctl press 'About Vantrel' 1 >/dev/null
wait_for 10 "the About box to close" bash -c '! xdotool search --onlyvisible --name "^About Vantrel$" | grep -q .'

# Enable toggles the setting and tells the hook.
[ -z "$(setting Enable)" ] || fail "Enable set before any toggle"
ctl command 32778 >/dev/null
wait_for 10 "Enable 0" bash -c "[ \"\$(wine reg query '$SETTINGS_KEY\\Settings' /v Enable 2>/dev/null | tr -d '\r' | awk '\$1 == \"Enable\" {print \$3}')\" = 0x0 ]"
ctl command 32778 >/dev/null
wait_for 10 "Enable 1" bash -c "[ \"\$(wine reg query '$SETTINGS_KEY\\Settings' /v Enable 2>/dev/null | tr -d '\r' | awk '\$1 == \"Enable\" {print \$3}')\" = 0x1 ]"
[ "$(grep '^EnableMenu' "$hook_log" | tr '\n' ' ')" = "EnableMenu 0 1 EnableMenu 1 1 " ] ||
    fail "EnableMenu calls: $(grep '^EnableMenu' "$hook_log" | tr '\n' ' ')"

# Exit from the menu.
open_tray_menu
started=$(date +%s%N)
click_menu_item 57665
await_exit "$pid" 10; rc=$EXIT_CODE
exit_ms=$(ms_since "$started")
note "Exit from the menu: code $rc after ${exit_ms} ms"
[ "$rc" = 0 ] || fail "exit code $rc"
[ "$exit_ms" -le 2000 ] || fail "Exit took ${exit_ms} ms"
[ "$(tail -n 1 "$hook_log")" = "InstallMenu 0 0" ] || fail "the hook was not told to stop"
no_program_left "at the end"
echo "PASS"
