#!/bin/bash
# The property pages with a real keyboard and mouse: a writer opens the
# designer on a menu whose only item has an empty submenu, clicks the
# submenu's placeholder and opens its properties with Alt+Enter, types a
# caption on the General page and, after Ctrl+Tab, a text of two lines on
# the Keystrokes page (Ctrl+Enter starts the second line). The new
# placeholder below it, opened by a double click, gets a caption and a shell
# command chosen by keys on the Command page. After Ctrl+S and Escape the
# saved file holds both items, and choosing the first in notepad's menu
# types the two lines.
# E2E_SHOTS=DIR keeps pictures of the three pages for the user guide.
source "$(dirname "$0")/../../tests/e2e/lib.sh"
source "$(dirname "$0")/vantrel.sh"
source "$(dirname "$0")/engine_setup.sh"
source "$(dirname "$0")/designer_setup.sh"

json="$E2E_TMP/desk.json"
cat >"$json" <<'JSON'
{ "menus": [ { "name": "Desk",
  "users": [ { "name": "ed", "password": "e1", "rights": "rw" } ],
  "items": [ { "caption": "Desk", "submenu": [] } ] } ] }
JSON
menu_file="$E2E_TMP/desk.vn"
build_menu_file "$json" "$menu_file"

login_settings "$menu_file" Desk ed e1

# The items of Desk's submenu as the saved file holds them, as JSON.
saved_submenu() {
    dump_menu "$menu_file" Desk ed e1 |
        python3 -c 'import json, sys; print(json.dumps(json.load(sys.stdin)["items"][0].get("submenu"), sort_keys=True))'
}

PALETTE='Item Properties'
palette_shown() { [ "$(ctl count "$PALETTE")" = 1 ]; }
palette_hidden() { [ "$(ctl count "$PALETTE")" = 0 ]; }
page_is() { [ "$(ctl page "$PALETTE")" = "$1" ]; }
# panel_rows N: how many rows panel N shows (no separators in this menu).
panel_rows() {
    local l t r b
    read -r l t r b <<<"$(panel "$1")"
    echo $(((b - t - 6) / item_height))
}
rows_are() { [ "$(panel_rows "$1")" = "$2" ]; }
# focus_is WINDOW ID: the keyboard focus is on control ID of that top-level
# window, or on a part of it (the edit field of a combo box).
focus_is() {
    local title id class parent
    IFS=$'\t' read -r title id class parent <<<"$(ctl focus)"
    [[ "$title" == "$1"* ]] && [ "$id" = "$2" -o "$parent" = "$2" ]
}
focus_in() {
    local title
    IFS=$'\t' read -r title _ <<<"$(ctl focus)"
    [[ "$title" == "$1"* ]]
}
# tab_to ID: Tab moves the focus through the shown page until it is on
# control ID.
tab_to() {
    local tries
    for tries in 1 2 3 4 5 6 7 8; do
        focus_is "$PALETTE" "$1" && return 0
        xdotool key Tab
        sleep 0.3
    done
    fail "Tab did not reach control $1; the focus is on '$(ctl focus)'"
}
title_has_asterisk() { ctl title "$DESIGNER" | grep -q ' \* - \['; }
title_saved() { ! title_has_asterisk; }
menu_disarmed() { ! ctl menumode; }
shot() { [ -z "${E2E_SHOTS:-}" ] || shot_of "$E2E_SHOTS/$1" "$(window_by_title "$PALETTE")"; }

start_notepad
start_vantrel
pid=$LAST_PID
open_tray_menu_for_keys
xdotool key d
wait_for 15 "the designer" designer_open
wait_for 10 "the submenu's panel" panels_at_least 2
designer_window=$(xdotool search --onlyvisible --name "^$DESIGNER" | head -n 1)
xdotool windowmove "$designer_window" 40 40 windowsize "$designer_window" 700 480
sleep 0.5
rows_are 2 1 || fail "the empty submenu shows $(panel_rows 2) rows, not its placeholder alone"

# The placeholder, clicked, and its properties by Alt+Enter: the General
# page, the focus on the palette; Tab reaches the caption.
click_item 2 0
xdotool key alt+Return
wait_for 10 "the property palette" palette_shown
# Wine arms the palette's window menu when Alt is released there after an
# accelerator took Alt+Enter (Windows does not); Escape disarms it.
sleep 0.3
if ctl menumode; then
    note "Alt+Enter left the window menu armed; Escape"
    xdotool key Escape
    wait_for 5 "the window menu to disarm" menu_disarmed
fi
page_is General || fail "the palette opened on '$(ctl page "$PALETTE")'"
wait_for 5 "the focus in the palette" focus_in "$PALETTE"
tab_to 1008
xdotool type --delay 60 Sign
wait_for 5 "a new placeholder below the typed item" rows_are 2 2
title_has_asterisk || fail "no asterisk after typing a caption: $(ctl title "$DESIGNER")"
shot palette-general.png

# Ctrl+Tab to the Keystrokes page; two lines, Ctrl+Enter between them.
xdotool key ctrl+Tab
wait_for 5 "the Keystrokes page" page_is Keystrokes
tab_to 1012
xdotool type --delay 60 'Best regards'
xdotool key ctrl+Return
xdotool type --delay 60 Ann
sleep 0.3
palette_shown || fail "Ctrl+Enter closed the palette"
shot palette-keystrokes.png

# The new placeholder: a click in the designer hides the palette, a double
# click brings it back on the page last shown.
click_item 2 1
wait_for 5 "the palette to hide" palette_hidden
read -r x y <<<"$(item_point 2 1)"
xdotool mousemove "$x" "$y" click --repeat 2 --delay 80 1
wait_for 10 "the property palette again" palette_shown
page_is Keystrokes || fail "the palette came back on '$(ctl page "$PALETTE")'"
xdotool key ctrl+shift+Tab
wait_for 5 "the General page" page_is General
tab_to 1008
xdotool type --delay 60 'Hide all'
wait_for 5 "a third row" rows_are 2 3
# General -> Keystrokes -> Command; then the shell command by Down keys
# from the empty entry: Explore, MailTo, ... MinimizeAll is the eighth.
xdotool key ctrl+Tab
sleep 0.3
xdotool key ctrl+Tab
wait_for 5 "the Command page" page_is Command
tab_to 1030
for i in 1 2 3 4 5 6 7 8; do
    xdotool key Down
    sleep 0.1
done
sleep 0.3
shot palette-command.png
# Enter ends the edit and hides the palette; the designer has the focus
# again, so that its keys work.
xdotool key Return
wait_for 5 "the palette to hide after Enter" palette_hidden
wait_for 5 "the focus back in the designer" focus_in "$DESIGNER"

xdotool key ctrl+s
wait_for 10 "the asterisk to go after saving" title_saved
xdotool key Escape
wait_for 10 "the designer to close" designer_closed

expected='[{"caption": "Sign", "keystrokes": "Best regards\r\nAnn"}, {"caption": "Hide all", "shellCommand": "MinimizeAll"}]'
submenu=$(saved_submenu)
[ "$submenu" = "$expected" ] || fail "the saved submenu is $submenu"
note "saved submenu: $submenu"

# The worker reloaded: Desk > Sign types the two lines into notepad.
sleep 1
open_root
read -r rl rt rr rb <<<"$(ctl rects CMenuWnd)"
rest_at $((rl + 40)) $((rt + 10))
wait_for 10 "the submenu" has_menus 2
read -r sl st sr sb <<<"$(ctl rects CMenuWnd | sort -n | awk -v l="$rl" '$1 != l' | head -n 1)"
rest_at $((sl + 40)) $((st + 3 + item_height / 2))
sleep 0.3
xdotool click 1
wait_for 10 "the menus to close" has_menus 0
await_notepad_text 'Best regards\r\nAnn'

ctl command 57665 >/dev/null
await_exit "$pid" 15
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
echo "PASS"
