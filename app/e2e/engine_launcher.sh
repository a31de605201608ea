#!/bin/bash
# Items that open addresses and pages, chosen from the real menus, with a
# stand-in registered as the web browser: a secure address reaches it as it
# was written, a bare host name gets "http://", and a page the shell cannot
# open reaches the browser's own command line as one argument.
source "$(dirname "$0")/../../tests/e2e/lib.sh"
source "$(dirname "$0")/vantrel.sh"
source "$(dirname "$0")/engine_setup.sh"

standin="$E2E_TMP/browserstandin.exe"
cp "$VANTREL_BIN/browserstandin.exe" "$standin"
log="$E2E_TMP/browserstandin.log"
command="\"$(winepath -w "$standin")\""
for scheme in http https; do
    wine_tool "registering the stand-in for $scheme" \
        wine reg add "HKCR\\$scheme\\shell\\open\\command" /ve /d "$command \"%1\"" /f
done
wine_tool "registering the stand-in for pages" wine reg add 'HKCR\.htm' /ve /d vantrel.standinpage /f
wine_tool "registering the stand-in's command for pages" \
    wine reg add 'HKCR\vantrel.standinpage\shell\open\command' /ve /d "$command -page \"%1\" -more" /f

build_menu_file "$(dirname "$0")/launcher-menu.json" "$E2E_TMP/launcher.vn"
reset_settings
regset File REG_SZ "$(winepath -w "$E2E_TMP/launcher.vn")"
regset Vantrel REG_SZ Demo
regset User REG_SZ demo
regset Password REG_SZ demo
regset AutoEnter REG_DWORD 1

start_notepad
start_vantrel
pid=$LAST_PID

# choose INDEX: opens the menus and clicks the root's item INDEX (from 0).
choose() {
    local rl rt rr rb height
    open_root
    read -r rl rt rr rb <<<"$(ctl rects CMenuWnd)"
    height=$(((rb - rt - 6) / 3))
    rest_at $((rl + 40)) $((rt + 3 + height * $1 + height / 2))
    sleep 0.3
    xdotool click 1
    wait_for 10 "the menus to close" has_menus 0
}

# expect_run TEXT: the stand-in's latest start had exactly these arguments
# (one a line).
expect_run() {
    local want="$1" got
    wait_for 15 "the stand-in browser to start" bash -c "[ \"\$(grep -c '^start\$' '$log' 2>/dev/null)\" -ge $2 ]"
    got=$(awk '/^start$/ {n++; args=""; next} {args = args $0 "\n"} END {printf "%s", args}' "$log")
    [ "$got" = "$(printf '%b' "$want")" ] || fail "the browser got '$got', not '$want'"
    note "browser got: $(tr '\n' ' ' <<<"$got")"
}

choose 0
expect_run 'https://example.org/docs\n' 1
choose 1
expect_run 'http://example.org\n' 2
choose 2
expect_run '-page\nC:\\no such folder\\a b.htm\n' 3

ctl command 57665 >/dev/null
await_exit "$pid" 15
echo "PASS"
