#!/bin/bash
# Keystrokes from a real X input device reach a Windows edit control under
# Wine, and the shared library reads the text back.
source "$(dirname "$0")/lib.sh"

out="$E2E_TMP/text.txt"
start_windows_program "$VANTREL_BIN/textpad.exe" "$(winepath -w "$out")" "Textpad E2E"
pid=$LAST_PID

wait_for 30 "the textpad window" window_exists 'Textpad E2E'
win=$(window_by_title 'Textpad E2E')
wait_for 10 "the empty text file" test -f "$out"

# Click into the text area, then type as a user would.
xdotool mousemove --window "$win" 60 60 click 1
xdotool type --delay 20 'Hello, Vantrel 123'
wait_for 20 "the typed text" grep -qx 'Hello, Vantrel 123' "$out"
note "typed text read back: $(cat "$out")"

[ -n "${E2E_SCREENSHOT:-}" ] && screenshot "$E2E_SCREENSHOT"

# Alt+F4 closes the window through the system menu path; the program exits 0.
xdotool key alt+F4
await_exit "$pid" 20
[ "$EXIT_CODE" = 0 ] || fail "textpad exited with $EXIT_CODE"
echo "PASS"
