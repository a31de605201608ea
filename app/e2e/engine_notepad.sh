#!/bin/bash
# The run-time engine with Wine's notepad as the other program: the program
# logs in at start-up from the registry; a right click in notepad opens its
# pop-up menu and the next move shows our root menu against it; hovering
# opens the submenu; clicking a leaf types its keystrokes into notepad; a
# left click elsewhere closes our menu.
source "$(dirname "$0")/../../tests/e2e/lib.sh"
source "$(dirname "$0")/vantrel.sh"

menu_file="$E2E_TMP/demo.vn"
wine "$VANTREL_OUT/vntool.exe" build "$(winepath -w "$(dirname "$0")/demo-menu.json")" "$(winepath -w "$menu_file")" \
    </dev/null >/dev/null 2>&1 || fail "vntool could not build the menu file"

reset_settings
regset() { wine reg add "$SETTINGS_KEY\\Settings" /v "$1" /t "$2" /d "$3" /f </dev/null >/dev/null 2>&1; }
regset File REG_SZ "$(winepath -w "$menu_file")"
regset Vantrel REG_SZ Demo
regset User REG_SZ demo
regset Password REG_SZ demo
regset AutoEnter REG_DWORD 1

start_windows_program notepad
wait_for 30 "notepad" bash -c 'xdotool search --onlyvisible --name "Notepad" | grep -q .'
note_win=$(xdotool search --onlyvisible --name "Notepad" | head -n 1)
xdotool windowmove "$note_win" 100 80 windowsize "$note_win" 500 400

start_windows_program "$VANTREL_OUT/Vantrel.exe"
pid=$LAST_PID
wait_for 30 "the tray icon" window_exists 'Wine System Tray'
wait_for 10 "the splash to close" bash -c '! xdotool search --onlyvisible --name "^CSplashWnd$" | grep -q .'

menus() { ctl count CMenuWnd; }
has_menus() { [ "$(menus)" = "$1" ]; }
popup_open() { ctl popup >/dev/null; }

# open_root: right click in notepad's text, wait for its pop-up, move.
open_root() {
    xdotool mousemove --window "$note_win" 200 150 click 3
    wait_for 15 "notepad's pop-up menu" popup_open
    local deadline=$((SECONDS + 15))
    until has_menus 1; do
        [ $SECONDS -lt $deadline ] || fail "our root menu did not show"
        xdotool mousemove_relative 1 1
        sleep 0.2
    done
}

open_root
read -r pl pt pr pb <<<"$(ctl popup)"
read -r rl rt rr rb <<<"$(ctl rects CMenuWnd)"
note "pop-up $pl $pt $pr $pb, root menu $rl $rt $rr $rb"
[ "$rl" = "$pl" ] || fail "root menu not aligned with the pop-up's left edge"
width=$((pr - pl)); [ $width -lt 100 ] && width=100
[ $((rr - rl)) = $width ] || fail "root menu not as wide as the pop-up"
[ "$rb" = "$pt" ] || [ "$rt" = "$pb" ] || fail "root menu not against the pop-up's top or bottom edge"
[ -n "${E2E_ROOT_PNG:-}" ] && screenshot "$E2E_ROOT_PNG"

# Hover the root's first item ("Texts"): its submenu opens after the delay.
xdotool mousemove $((rl + 40)) $((rt + 10))
sleep 0.1
xdotool mousemove $((rl + 42)) $((rt + 11))
wait_for 10 "the submenu" has_menus 2
read -r sl st sr sb <<<"$(ctl rects CMenuWnd | sort -n | awk -v l="$rl" '$1 != l' | head -n 1)"
note "submenu $sl $st $sr $sb"
[ -n "${E2E_SUBMENU_PNG:-}" ] && screenshot "$E2E_SUBMENU_PNG"

# Click its first item, "Greeting": both menus close and the text is typed.
xdotool mousemove $((sl + 40)) $((st + 10))
sleep 0.1
xdotool mousemove $((sl + 41)) $((st + 11))
sleep 0.3
xdotool click 1
wait_for 10 "the menus to close" has_menus 0
expected='Hello\r\nWorld!\r\n'
typed_is() { [ "$(ctl notepad)" = "$1" ]; }
deadline=$((SECONDS + 10))
until typed_is "$expected"; do
    [ $SECONDS -lt $deadline ] || fail "notepad's text is '$(ctl notepad)', not '$expected'"
    sleep 0.2
done
note "notepad's text: $(ctl notepad)"
popup_open && fail "notepad's pop-up is still open"

# A left click elsewhere closes our menu.
open_root
xdotool mousemove --window "$note_win" 50 300 click 1
wait_for 10 "the menus to close on a left click" has_menus 0

ctl command 57665 >/dev/null
await_exit "$pid" 15
echo "PASS"
