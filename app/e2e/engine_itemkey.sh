#!/bin/bash
# The item key of the start-up login. The key saved in the registry value
# Des (enciphered as the login dialog saves it) deciphers an item's
# enciphered keystrokes, which a click on the item types into Wine's
# notepad. A wrong saved key is refused: the notice says so, the login
# dialog opens again, and the tray menu offers to log in.
source "$(dirname "$0")/../../tests/e2e/lib.sh"
source "$(dirname "$0")/vantrel.sh"
source "$(dirname "$0")/engine_setup.sh"

json="$E2E_TMP/secret.json"
cat >"$json" <<'JSON'
{ "itemKey": "k3y",
  "menus": [ { "name": "Vault",
    "users": [ { "name": "keeper", "password": "p1", "rights": "rw" } ],
    "items": [ { "caption": "Secret", "keystrokes": "Top\r\nsecret", "encipherKeystrokes": true } ] } ] }
JSON
menu_file="$E2E_TMP/vault.vn"
build_menu_file "$json" "$menu_file"
# The keystrokes are stored enciphered: without the key they do not read.
if wine "$VANTREL_OUT/vntool.exe" dump "$(winepath -w "$menu_file")" --menu Vault --user keeper --password p1 \
    </dev/null >/dev/null 2>&1; then
    fail "the menu file reads without the item key"
fi

# save_startup_login KEY: the start-up login to the vault with that item key.
save_startup_login() {
    reset_settings
    regset File REG_SZ "$(winepath -w "$menu_file")"
    regset Vantrel REG_SZ Vault
    regset User REG_SZ keeper
    regset Password REG_SZ p1
    regset Des REG_SZ "$(ctl des "$1")"
    regset DesRemember REG_DWORD 1
    regset AutoEnter REG_DWORD 1
}

# The right key: the item types its deciphered text.
save_startup_login k3y
note "Des for k3y: $(setting Des)"
start_notepad
start_vantrel
pid=$LAST_PID
open_root
read -r rl rt rr rb <<<"$(ctl rects CMenuWnd)"
rest_at $((rl + 40)) $((rt + 10))
sleep 0.3
xdotool click 1
wait_for 10 "the menus to close" has_menus 0
expected='Top\r\nsecret'
await_notepad_text "$expected"
note "with the right key notepad reads: $(ctl notepad)"
ctl command 57665 >/dev/null
await_exit "$pid" 15
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"

# A wrong key, with the stand-in hook that lists the tray menu.
save_startup_login k3z
dir=$(program_copy wrongkey VantrelHK.dll)
cp "$VANTREL_BIN/hookstandin/VantrelHK.dll" "$dir/"
menu_log="$E2E_TMP/menu.txt"
export VANTREL_HOOK_LOG=$(winepath -w "$E2E_TMP/hook.log") VANTREL_MENU_LOG=$(winepath -w "$menu_log")
start_copy "$dir"
pid=$LAST_PID
wait_for 30 "the wrong-key notice" window_exists Vantrel
notice=$(ctl texts Vantrel)
note "notice: $(echo "$notice" | tr '\n' '|')"
grep -qxF "The item key does not unlock the texts of this menu. Please check the item key and log in again." \
    <<<"$notice" || fail "the notice does not say that the item key is wrong"
ctl press Vantrel 1 >/dev/null
wait_for 15 "the login dialog after the notice" window_exists 'Log In to a Menu'
ctl press 'Log In to a Menu' 2 >/dev/null
wait_for 15 "the login dialog to close" bash -c '! xdotool search --onlyvisible --name "^Log In to a Menu$" | grep -q .'

# The tray menu is the logged-out one.
open_tray_menu
note "tray menu: $(awk '$1 != "end" && $1 != 0 {print $1}' "$menu_log" | tr '\n' ' ')"
read -r _ _ _ _ login_text <<<"$(menu_item 32781)"
[ "$login_text" = "&Log In..." ] || fail "the tray menu offers '$login_text', not the login"
for id in 32777 32789 32790 32791; do
    [ -z "$(menu_item $id)" ] || fail "the tray menu of a refused login offers $id"
done
xdotool mousemove 1 1 click 1
ctl command 57665 >/dev/null
await_exit "$pid" 15
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
echo "PASS"
