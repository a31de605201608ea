#!/bin/bash
# The run-time engine with Wine's notepad as the other program: the program
# logs in at start-up from the registry; a right click in notepad opens its
# pop-up menu and our root menu shows against it at once; hovering
# opens the submenu; clicking a leaf types its keystrokes into notepad; a
# left click elsewhere closes our menu. A click on an item stays with the
# menu: the text goes where notepad's caret was.
source "$(dirname "$0")/../../tests/e2e/lib.sh"
source "$(dirname "$0")/vantrel.sh"

source "$(dirname "$0")/engine_setup.sh"

setup_demo_login "$E2E_TMP"
start_notepad
note_win=$NOTEPAD_WIN

start_vantrel
pid=$LAST_PID

open_root
read -r pl pt pr pb <<<"$(ctl popup)"
read -r rl rt rr rb <<<"$(ctl rects CMenuWnd)"
note "pop-up $pl $pt $pr $pb, root menu $rl $rt $rr $rb"
[ "$rl" = "$pl" ] || fail "root menu not aligned with the pop-up's left edge"
width=$((pr - pl)); [ $width -lt 100 ] && width=100
[ $((rr - rl)) = $width ] || fail "root menu not as wide as the pop-up"
[ "$rb" = "$pt" ] || [ "$rt" = "$pb" ] || fail "root menu not against the pop-up's top or bottom edge"
[ -n "${E2E_ROOT_PNG:-}" ] && shot_of "$E2E_ROOT_PNG" "$note_win" $(program_windows)

# Hover the root's first item ("Texts"): its submenu opens after the delay.
rest_at $((rl + 40)) $((rt + 10))
wait_for 10 "the submenu" has_menus 2
read -r sl st sr sb <<<"$(ctl rects CMenuWnd | sort -n | awk -v l="$rl" '$1 != l' | head -n 1)"
note "submenu $sl $st $sr $sb"
[ -n "${E2E_SUBMENU_PNG:-}" ] && shot_of "$E2E_SUBMENU_PNG" "$note_win" $(program_windows)

# Click its first item, "Greeting": both menus close and the text is typed.
rest_at $((sl + 40)) $((st + 10))
sleep 0.3
xdotool click 1
wait_for 10 "the menus to close" has_menus 0
expected='Hello\r\nWorld!\r\n'
await_notepad_text "$expected"
note "notepad's text: $(ctl notepad)"
popup_open && fail "notepad's pop-up is still open"

# A left click elsewhere closes our menu.
open_root
xdotool mousemove --window "$note_win" 50 300 click 1
wait_for 10 "the menus to close on a left click" has_menus 0

# A click on an item belongs to the menu: the text goes where notepad's caret
# was, though the item lies over notepad's text, and the press and its
# release are kept from notepad (which would otherwise get them once the
# menus had closed, and move its caret to them). Several rounds, since the
# menus closing and notepad taking the press race.
ctl notepadlines 24 120
text=$(ctl notepad)
item_height=$(ctl itemheight)
# The hook's count of button events kept from other programs.
kept_count() { ctl hookstats | awk '{ print $13 }'; }
kept_before=$(kept_count)
for round in 1 2 3 4 5; do
    open_root
    read -r rl rt rr rb <<<"$(ctl rects CMenuWnd)"
    # "Date line", the root's second item.
    rest_at $((rl + 40)) $((rt + 3 + item_height + item_height / 2))
    sleep 0.3
    xdotool click 1
    WAIT_EXPLAIN=explain_menus wait_for 10 "the menus to close after round $round" has_menus 0
    text="${text}Date: "
    await_notepad_text "$text"
done
kept=$(( $(kept_count) - kept_before ))
note "button events kept from notepad over 5 rounds: $kept"
[ "$kept" -ge 10 ] || fail "only $kept button events on the menus were kept from notepad"

ctl command 57665 >/dev/null
await_exit "$pid" 15
echo "PASS"
