#!/bin/bash
# The hook with the real pointer: xdotool moves and clicks it over a probe
# window, which prints the records the hook library sends it.
source "$VANTREL_SRC/tests/e2e/lib.sh"

out="$E2E_TMP/probe.out"
: >"$out"
wine "$VANTREL_BIN/pointerprobe.exe" </dev/null >"$out" 2>>"$E2E_TMP/wine.log" &
probe=$!
E2E_PIDS+=("$probe")

# The probe writes Windows line ends.
lines() { tr -d '\r' <"$out"; }
wait_for 60 "the probe window" bash -c "grep -q '^ready ' '$out'"
read -r _ hwnd left top right bottom < <(lines | grep '^ready ')
note "probe window $hwnd, client area $left,$top - $right,$bottom"

# record lines for MESSAGE at X Y; prints their window and flag fields.
records_at() { lines | awk -v m="$1" -v x="$2" -v y="$3" '$1 == "record" && $2 == m && $3 == x && $4 == y { print $5, $6 }'; }
has_record() { [ -n "$(records_at "$@")" ]; }

cx=$(( (left + right) / 2 )); cy=$(( (top + bottom) / 2 ))
xdotool mousemove "$cx" "$cy"
wait_for 20 "a move record at $cx,$cy" has_record 512 "$cx" "$cy"
read -r window flag < <(records_at 512 "$cx" "$cy" | head -n 1)
[ "$window" = "$hwnd" ] || fail "move reported window $window, the probe is $hwnd"
[ "$flag" = 0 ] || fail "a move of the real pointer was flagged as injected ($flag)"

xdotool click 1
both_buttons() { [ "$(records_at 513 "$cx" "$cy")" = "$hwnd 0" ] && [ "$(records_at 514 "$cx" "$cy")" = "$hwnd 0" ]; }
wait_for 20 "left press and release records" both_buttons

# Over the caption the non-client form is reported.
ny=$(( top - 8 ))
xdotool mousemove "$cx" "$ny"
wait_for 20 "a non-client move record" has_record 160 "$cx" "$ny"

# A few hundred moves for the callback's cost, spaced like a hand's moves
# (motion events that follow each other too closely are merged on the way).
args=()
for i in $(seq 0 299); do
    args+=(mousemove $(( left + 20 + i )) $(( top + 20 + i % 50 )) sleep 0.01)
done
xdotool "${args[@]}"
wait_for 60 "the last of 300 moves" has_record 512 $(( left + 319 )) $(( top + 20 + 299 % 50 ))

flagged=$(lines | awk '$1 == "record" && $6 != 0' | wc -l)
[ "$flagged" = 0 ] || fail "$flagged records of real pointer input were flagged as injected"

# A right press on the probe ends it, and it prints the hook's statistics.
xdotool mousemove "$cx" "$cy" click 3
await_exit "$probe" 30; rc=$EXIT_CODE
[ "$rc" = 0 ] || fail "probe exited with $rc"
read -r _ callbacks median max delivered dropped < <(lines | grep '^stats ')
moves=$(lines | awk '$1 == "record" && $2 == 512' | wc -l)
[ "$moves" -ge 250 ] || fail "only $moves of 300 moves were reported"
note "$moves move records; callback over $callbacks events: median $((median / 1000)) us, maximum $((max / 1000)) us; $delivered delivered, $dropped dropped"
read -r _ records delay_median delay_max < <(lines | grep '^delay ')
note "input to the receiving window over $records records: median $delay_median ms, maximum $delay_max ms"
[ "$dropped" = 0 ] || fail "$dropped events dropped"
echo "PASS"
