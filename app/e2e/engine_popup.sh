#!/bin/bash
# Our root menu follows notepad's pop-up itself, whatever the mouse does: a
# right click with the mouse held still afterwards shows it every time,
# soon after the pop-up (timed from the X server's map events); so
# does a right click followed by moves; and a pop-up opened with Shift+F10
# while the mouse is far away gets it too, and its item types into
# notepad's text.
source "$(dirname "$0")/../../tests/e2e/lib.sh"
source "$(dirname "$0")/vantrel.sh"
source "$(dirname "$0")/engine_setup.sh"

maps="$E2E_TMP/maps.txt"
start_map_watch "$maps"
setup_demo_login "$E2E_TMP"
start_notepad
start_vantrel
pid=$LAST_PID

map_lines() { wc -l <"$maps"; }
# delay_since LINE: ms from notepad's pop-up being mapped to our root menu
# being mapped, both after line LINE of the map log; nothing until both are.
delay_since() {
    awk -v from="$1" 'NR > from && tolower($4) ~ /^notepad/ && $5 == "-" && popup == "" { popup = $2 }
        NR > from && $5 == "CMenuWnd" && root == "" { root = $2 }
        END { if (popup != "" && root != "") printf "%.1f\n", root - popup }' "$maps"
}
has_delay() { [ -n "$(delay_since "$1")" ]; }

# RIGHT_CLICK_TRIES right clicks, MOVES: "still" (nothing after the click)
# or "moving" (the mouse goes on moving while the pop-up opens); prints
# each delay.
right_clicks() {
    local i from
    for i in $(seq "$RIGHT_CLICK_TRIES"); do
        xdotool mousemove --window "$NOTEPAD_WIN" $((180 + i)) 150
        sleep 0.3
        from=$(map_lines)
        if [ "$1" = still ]; then
            xdotool click 3
        else
            xdotool click 3 mousemove_relative 2 1 sleep 0.02 mousemove_relative 2 1 sleep 0.02 \
                mousemove_relative 2 1 sleep 0.02 mousemove_relative 2 1 sleep 0.02 mousemove_relative 2 1
        fi
        wait_for 10 "our root menu against the pop-up ($1, try $i)" has_delay "$from"
        delay_since "$from"
        close_both
    done
}
RIGHT_CLICK_TRIES=${RIGHT_CLICK_TRIES:-20}

still=$(right_clicks still)
read -r still_median still_worst <<<"$(median_and_worst <<<"$still")"
note "mouse still, $RIGHT_CLICK_TRIES right clicks: pop-up to our menu median $still_median ms, worst $still_worst ms"
note "  each: $(echo $still)"
moving=$(right_clicks moving)
read -r moving_median moving_worst <<<"$(median_and_worst <<<"$moving")"
note "mouse moving, $RIGHT_CLICK_TRIES right clicks: pop-up to our menu median $moving_median ms, worst $moving_worst ms"
# Within a frame on a quiet machine, which `make bench` measures; here only
# a bound that a loaded machine does not reach (17 ms at a load of 6 on two
# cores) and a menu that waited for a timer would.
awk -v m="$still_median" 'BEGIN { exit !(m <= 50) }' ||
    fail "with the mouse still our menu came $still_median ms after the pop-up (median), more than three frames"

# Shift+F10 with the mouse far from notepad: the anchor is notepad's text,
# which has the keyboard focus, and the root sits against the pop-up.
xdotool mousemove 1270 790
xdotool windowfocus "$NOTEPAD_WIN"
sleep 0.3
from=$(map_lines)
xdotool key shift+F10
wait_for 10 "our root menu against the pop-up Shift+F10 opened" has_delay "$from"
note "Shift+F10: pop-up to our menu $(delay_since "$from") ms"
read -r pl pt pr pb <<<"$(ctl popup)"
read -r rl rt rr rb <<<"$(ctl rects CMenuWnd)"
note "pop-up $pl $pt $pr $pb, root menu $rl $rt $rr $rb"
[ "$rl" = "$pl" ] || fail "root menu not aligned with the pop-up's left edge"
[ "$rb" = "$pt" ] || [ "$rt" = "$pb" ] || fail "root menu not against the pop-up's top or bottom edge"

rest_at $((rl + 40)) $((rt + 10))
wait_for 10 "the submenu" has_menus 2
read -r sl st sr sb <<<"$(ctl rects CMenuWnd | sort -n | awk -v l="$rl" '$1 != l' | head -n 1)"
rest_at $((sl + 40)) $((st + 10))
sleep 0.3
xdotool click 1
wait_for 10 "the menus to close" has_menus 0
await_notepad_text 'Hello\r\nWorld!\r\n'
note "notepad's text: $(ctl notepad)"

ctl command 57665 >/dev/null
await_exit "$pid" 15
echo "PASS"
