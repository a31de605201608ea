# What the designer's end-to-end scripts share: the login settings, the saved
# menu read back, and the designer's panels read from the running program.
# Sourced after vantrel.sh and engine_setup.sh.

# login_settings FILE MENU USER PASSWORD: the settings of an automatic login.
login_settings() {
    reset_settings
    regset File REG_SZ "$(winepath -w "$1")"
    regset Vantrel REG_SZ "$2"
    regset User REG_SZ "$3"
    regset Password REG_SZ "$4"
    regset AutoEnter REG_DWORD 1
}

# dump_menu FILE MENU USER PASSWORD: the menu as the saved file holds it, as JSON.
dump_menu() {
    wine "$VANTREL_OUT/vntool.exe" dump "$(winepath -w "$1")" --menu "$2" --user "$3" --password "$4" \
        </dev/null 2>/dev/null | tr -d '\r'
}

DESIGNER='Menu Designer'
designer_open() { ctl title "$DESIGNER" >/dev/null; }
designer_closed() { ! designer_open; }
item_height=$(ctl itemheight)
# panel N: the rectangle of the Nth panel on the canvas (1 = the root).
panel() { ctl panels "$DESIGNER" | sed -n "${1}p"; }
panel_count() { ctl panels "$DESIGNER" | wc -l; }
panels_at_least() { [ "$(panel_count)" -ge "$1" ]; }
# item_point N I [PART]: a screen point over item I (from 0) of panel N, at
# PART quarters of its height (2 = the middle); no separators come before it.
item_point() {
    local l t r b
    read -r l t r b <<<"$(panel "$1")"
    [ -n "$t" ] || fail "no panel $1"
    echo "$((l + 30)) $((t + 3 + $2 * item_height + ${3:-2} * item_height / 4))"
}
# The pause after the click outlasts the system's double-click time (500 ms),
# so that the next click or press on the same spot is not taken as a double
# click, which opens the item's properties.
click_item() {
    local x y
    read -r x y <<<"$(item_point "$1" "$2")"
    xdotool mousemove "$x" "$y" click 1
    sleep 0.6
}
