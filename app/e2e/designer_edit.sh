#!/bin/bash
# The designer with a real mouse and keyboard: a writer opens it from the
# tray menu, drags an item to another place and into a submenu opened by
# hovering, moves one with Ctrl+Down, cuts and pastes, undoes and redoes by
# the accelerators, saves and closes. The saved file then holds the new
# tree, and a right click in notepad shows it: the moved item types its
# text. A reader's tray menu has no designer.
# E2E_SHOTS=DIR keeps pictures of the designer for the user guide.
source "$(dirname "$0")/../../tests/e2e/lib.sh"
source "$(dirname "$0")/vantrel.sh"
source "$(dirname "$0")/engine_setup.sh"
source "$(dirname "$0")/designer_setup.sh"

json="$E2E_TMP/desk.json"
cat >"$json" <<'JSON'
{ "menus": [ { "name": "Desk",
  "users": [ { "name": "ed", "password": "e1", "rights": "rw" },
             { "name": "rd", "password": "r1", "rights": "r" } ],
  "items": [ { "caption": "Desk", "submenu": [
      { "caption": "Alpha", "keystrokes": "alpha" },
      { "caption": "Beta", "keystrokes": "beta" },
      { "caption": "Folder", "submenu": [ { "caption": "Inner", "keystrokes": "inner" } ] },
      { "caption": "Gamma", "keystrokes": "gamma" } ] } ] } ] }
JSON
menu_file="$E2E_TMP/desk.vn"
build_menu_file "$json" "$menu_file"

# The captions of the menu's tree as the saved file holds them, one a line,
# indented by two spaces a level.
saved_tree() {
    dump_menu "$menu_file" Desk ed e1 | python3 -c '
import json, sys
def walk(items, depth):
    for item in items:
        print("  " * depth + item.get("caption", "-"))
        walk(item.get("submenu", []), depth + 1)
walk(json.load(sys.stdin)["items"], 0)'
}

# press_item N I: selects item I of panel N, then presses on it (on the
# selection frame) and moves a little, as a hand starting a drag would;
# move_to_item N I PART then carries it to PART quarters of item I of panel N.
press_item() {
    local x y
    click_item "$1" "$2"
    read -r x y <<<"$(item_point "$1" "$2")"
    xdotool mousemove "$x" "$y" mousedown 1
    sleep 0.1
    xdotool mousemove_relative 0 6
    sleep 0.1
}
move_to_item() {
    local x y
    read -r x y <<<"$(item_point "$1" "$2" "$3")"
    xdotool mousemove "$((x - 3))" "$((y - 2))"
    sleep 0.15
    xdotool mousemove "$x" "$y"
    sleep 0.3
}
title_has_asterisk() { ctl title "$DESIGNER" | grep -q ' \* - \['; }
title_saved() { ! title_has_asterisk; }

# A reader's tray menu lacks the designer.
login_settings "$menu_file" Desk rd r1
start_notepad
start_vantrel
pid=$LAST_PID
open_tray_menu_for_keys
xdotool key d
sleep 1
designer_closed || fail "the designer opened for a reader"
xdotool key Escape
ctl command 57665 >/dev/null
await_exit "$pid" 15

# The writer opens the designer from the tray menu.
login_settings "$menu_file" Desk ed e1
start_vantrel
pid=$LAST_PID
open_tray_menu_for_keys
xdotool key d
wait_for 15 "the designer" designer_open
wait_for 10 "the submenu's panel" panels_at_least 2
note "designer: $(ctl title "$DESIGNER")"
note "panels: $(ctl panels "$DESIGNER" | tr '\n' ';')"
designer_window=$(xdotool search --onlyvisible --name "^$DESIGNER" | head -n 1)
xdotool windowmove "$designer_window" 40 40 windowsize "$designer_window" 700 480
sleep 0.5

# Alpha dragged to the lower half of Gamma: it goes after it.
press_item 2 0
move_to_item 2 2 2
move_to_item 2 3 3
[ -n "${E2E_SHOTS:-}" ] && shot_of "$E2E_SHOTS/designer-drag.png" "$designer_window"
xdotool mouseup 1
wait_for 10 "the asterisk after a move" title_has_asterisk

# Beta dragged over Folder, which opens its panel, and onto Inner's lower half.
press_item 2 0
move_to_item 2 1 2
wait_for 10 "Folder's panel, opened by hovering" panels_at_least 3
move_to_item 3 0 3
xdotool mouseup 1
sleep 0.5
[ -n "${E2E_SHOTS:-}" ] && shot_of "$E2E_SHOTS/designer.png" "$designer_window"

# Now: Folder (Inner, Beta), Gamma, Alpha. Gamma moves down with Ctrl+Down.
click_item 2 1
xdotool key ctrl+Down
sleep 0.3
# Folder, Alpha, Gamma: Alpha is cut and pasted before Folder.
click_item 2 1
xdotool key ctrl+x
sleep 0.3
click_item 2 0
xdotool key ctrl+v
sleep 0.3
# Undo both, redo both: the paste stands again.
xdotool key ctrl+z
sleep 0.3
xdotool key ctrl+z
sleep 0.3
xdotool key ctrl+y
sleep 0.3
xdotool key ctrl+y
sleep 0.3
xdotool key ctrl+s
wait_for 10 "the asterisk to go after saving" title_saved
xdotool key Escape
wait_for 10 "the designer to close" designer_closed

expected='Desk
  Alpha
  Folder
    Inner
    Beta
  Gamma'
tree=$(saved_tree)
[ "$tree" = "$expected" ] || fail "the saved tree is
$tree"
note "saved tree: $(echo $tree)"

# The worker reloaded: the run-time menus show the new order. Desk's third
# item is now Gamma, and Beta is the second item of Folder's submenu.
# run_item PATH...: right-clicks in notepad and follows the item indexes
# PATH from the root's Desk, resting on each submenu, clicking the last.
run_item() {
    local count=$# n=0 index rl rt rr rb
    open_root
    read -r rl rt rr rb <<<"$(ctl rects CMenuWnd)"
    rest_at $((rl + 40)) $((rt + 10))
    WAIT_EXPLAIN=explain_menus wait_for 10 "Desk's submenu" has_menus 2
    for index in "$@"; do
        n=$((n + 1))
        # The newest submenu is the one furthest right.
        read -r rl rt rr rb <<<"$(ctl rects CMenuWnd | sort -n | tail -n 1)"
        note "item $index of the menu at $rl $rt $rr $rb"
        rest_at $((rl + 30)) $((rt + 3 + index * item_height + item_height / 2))
        if [ $n -lt $count ]; then
            WAIT_EXPLAIN=explain_menus wait_for 10 "the submenu of item $index" has_menus $((n + 2))
        fi
    done
    sleep 0.3
    xdotool click 1
    WAIT_EXPLAIN=explain_menus wait_for 10 "the menus to close" has_menus 0
}
sleep 1
run_item 2
await_notepad_text 'gamma'
run_item 1 1
await_notepad_text 'gammabeta'

ctl command 57665 >/dev/null
await_exit "$pid" 15
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
echo "PASS"
