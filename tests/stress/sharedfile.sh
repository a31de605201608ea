#!/bin/bash
# Many processes on one menu file, as a team on a file share uses it: readers
# log in (vntool dump) over and over, two writers change their own user's
# password about every second (vntool passwd, one native, one the Windows
# build under Wine), and a checker runs vntool check the whole time. Under
# Wine the program itself logs in over and over too (loginloop.exe, its real
# worker thread), and the designer is a third writer (designersaver.exe:
# the real designer window renames one item "Saved N" and saves, about once
# a second, as a user would).
#
# It holds when no check ever fails, no read or program login fails or reads
# wrong content, every save reported as done is in the file at the end, and
# no save fails.
# It builds nothing: it takes the binaries of an existing output tree.
#
#   tests/stress/sharedfile.sh [--short]
#
# Environment:
#   VANTREL_OUT      output tree as `make OUT=...` makes it (default: out/);
#                    native tool from VANTREL_OUT/linux (or build/linux/bin),
#                    Windows tool from VANTREL_OUT/win64, Wine prefix in
#                    VANTREL_OUT/build/win64
#   VNTOOL_NATIVE, VNTOOL_WINDOWS   the two programs, to name them directly
#   VANTREL_BIN      the Windows build's test programs, loginloop.exe and
#                    designersaver.exe (default: VANTREL_OUT/build/win64/bin)
#   STRESS_SECONDS   length of the run (default 60; --short: 10)
#   STRESS_READERS   native readers (default 46; --short: 8)
#   STRESS_WINE_READERS  readers of the Windows build (default 4; --short: 2)
#   STRESS_WINE=0    native processes only (no Windows writer or readers)
#   STRESS_KEEP=1    keep the work folder with every process's log
#
# Output: the counts, then BENCH| lines for the section "Files shared by
# processes". Exit 0 only if every goal holds.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
out=${VANTREL_OUT:-$root/out}

short=0
[ "${1:-}" = "--short" ] && short=1
if [ $short = 1 ]; then
    seconds=${STRESS_SECONDS:-10}; readers=${STRESS_READERS:-8}; wine_readers=${STRESS_WINE_READERS:-2}
else
    seconds=${STRESS_SECONDS:-60}; readers=${STRESS_READERS:-46}; wine_readers=${STRESS_WINE_READERS:-4}
fi
use_wine=${STRESS_WINE:-1}

native=${VNTOOL_NATIVE:-}
if [ -z "$native" ]; then
    for candidate in "$out/linux/vntool" "$out/build/linux/bin/vntool"; do
        [ -x "$candidate" ] && { native=$candidate; break; }
    done
fi
[ -n "$native" ] && [ -x "$native" ] || { echo "sharedfile: no native vntool under $out (build-linux first)" >&2; exit 2; }
windows=${VNTOOL_WINDOWS:-$out/win64/vntool.exe}
testbin=${VANTREL_BIN:-$out/build/win64/bin}
loginloop=$testbin/loginloop.exe
designersaver=$testbin/designersaver.exe
if [ "$use_wine" = 1 ]; then
    [ -f "$windows" ] || { echo "sharedfile: no $windows (build-win64 first, or STRESS_WINE=0)" >&2; exit 2; }
    for program in "$loginloop" "$designersaver"; do
        [ -f "$program" ] || { echo "sharedfile: no $program (build-win64 first, or STRESS_WINE=0)" >&2; exit 2; }
    done
    command -v wine >/dev/null || { echo "sharedfile: wine is not installed (or STRESS_WINE=0)" >&2; exit 2; }
    # Wine needs a prefix and a display: run inside a session of our own.
    if [ -z "${VANTREL_WINE_SESSION:-}" ]; then
        export VANTREL_OUT_DIR=$(dirname "$windows")
        mkdir -p "$out/build/win64"
        exec "$root/scripts/wine-session" "$out/build/win64" "$0" "$@"
    fi
else
    wine_readers=0
fi

work=$(realpath "$(mktemp -d "${TMPDIR:-/tmp}/sharedfile.XXXXXX")")
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    if [ "${STRESS_KEEP:-0}" = 1 ]; then echo "work folder kept: $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT

file=$work/team.vn
wfile="Z:$file"

# Microseconds on the wall clock.
now_us() { local t=${EPOCHREALTIME/./}; echo $((10#$t)); }

# --- the menu file: a team menu of some size, so that a save takes a while,
# and three more menus that must all survive every save. Under Wine the team
# menu also has the designer's user and, in a submenu, the item it renames.
item_key=k3y
{
    echo "{ \"itemKey\": \"$item_key\", \"menus\": ["
    for m in Team Sales Office Archive; do
        [ $m = Team ] || echo ','
        echo "{ \"name\": \"$m\", \"users\": ["
        echo '  { "name": "admin", "password": "boss", "rights": "rw" },'
        echo '  { "name": "reader", "password": "read", "rights": "r" },'
        echo '  { "name": "writer1", "password": "0", "rights": "rw" },'
        [ $m = Team ] && [ "$use_wine" = 1 ] && echo '  { "name": "writer3", "password": "3", "rights": "rw" },'
        echo '  { "name": "writer2", "password": "0", "rights": "rw" }'
        echo '], "items": ['
        for i in $(seq 1 150); do
            [ $i = 1 ] || echo ','
            echo "{ \"caption\": \"$m item $i\", \"target\": \"C:\\\\Programs\\\\tool$i.exe\","
            echo "  \"note\": \"a note long enough to give the record some weight, number $i\" }"
        done
        [ $m = Team ] && [ "$use_wine" = 1 ] &&
            echo ', { "caption": "Designer", "submenu": [ { "caption": "Designer item" } ] }'
        echo ', { "caption": "Last item" } ] }'
    done
    echo '] }'
} >"$work/team.json"
"$native" build "$work/team.json" "$file" >"$work/build.log" 2>&1 || { cat "$work/build.log"; exit 2; }
"$native" list "$file" >"$work/list.before" || exit 2
size=$(stat -c %s "$file")

ok=1
problem() { echo "GOAL NOT MET: $*"; ok=0; }

# Native and Windows processes keep each other out through byte-range
# locks on the share bytes, not through share modes (Wine keeps those to
# itself). First, plainly: while a native process holds the file as a save
# does (the bytes "read", "write" and "deny write", far beyond the file's
# end), a Windows login must wait and then say the file is busy, never read.
if [ "$use_wine" = 1 ]; then
    python3 -c '
import fcntl, os, struct, sys, time
fd = os.open(sys.argv[1], os.O_RDWR)
for mark in (0, 1, 3):
    fcntl.fcntl(fd, fcntl.F_OFD_SETLK, struct.pack("hhqqi", fcntl.F_RDLCK, 0, 0x7FFFFFFFFFFF0000 + mark, 1, 0))
print("held", flush=True)
time.sleep(3)
' "$file" >"$work/hold.log" 2>&1 &
    holder=$!
    for _ in $(seq 50); do grep -q held "$work/hold.log" && break; sleep 0.1; done
    t0=$(now_us)
    output=$(wine "$windows" dump "$wfile" --menu Team --user reader --password read 2>&1 </dev/null)
    rc=$?
    waited=$((($(now_us) - t0) / 1000))
    wait $holder
    output=${output//$'\r'/}
    if grep -q held "$work/hold.log" && [ $rc = 1 ] && [[ "$output" == *"another program kept it open"* ]]; then
        echo "sharedfile: a Windows login waited $waited ms for a native holder, then said the file is busy"
    else
        problem "a Windows login did not wait for a native holder (exit $rc after $waited ms: ${output:0:100}; $(cat "$work/hold.log"))"
    fi
fi

# reader SIDE LOG: logs in as "reader" until the deadline; one line a read:
# "<end us> <duration us> ok" or "... fail <reason>".
reader() {
    local side=$1 log=$2 t0 t1 rc output
    while [ "$(now_us)" -lt $deadline_us ]; do
        t0=$(now_us)
        if [ "$side" = wine ]; then
            output=$(wine "$windows" dump "$wfile" --menu Team --user reader --password read 2>&1 </dev/null)
        else
            output=$("$native" dump "$file" --menu Team --user reader --password read 2>&1)
        fi
        rc=$?
        t1=$(now_us)
        output=${output//$'\r'/}
        if [ $rc = 0 ] && [[ "$output" == *'"caption": "Last item"'* ]] && [[ "$output" == *'"name": "Team"'* ]]; then
            echo "$t1 $((t1 - t0)) ok"
        elif [ $rc = 0 ]; then
            echo "$t1 $((t1 - t0)) fail the menu read back incomplete"
        else
            echo "$t1 $((t1 - t0)) fail ${output%%$'\n'*}"
        fi
    done >"$log"
}

# writer SIDE USER LOG: changes USER's password to 1, 2, 3... about once a
# second; one line an attempt: "<duration us> saved N" or "<duration us>
# failed N <reason>". A failed save keeps the old password.
writer() {
    local side=$1 user=$2 log=$3 current=0 next=1 t0 t1 rc output pause
    while [ "$(now_us)" -lt $deadline_us ]; do
        t0=$(now_us)
        if [ "$side" = wine ]; then
            output=$(wine "$windows" passwd "$wfile" --menu Team --user "$user" --password "$current" \
                --new-password "$next" 2>&1 </dev/null)
        else
            output=$("$native" passwd "$file" --menu Team --user "$user" --password "$current" \
                --new-password "$next" 2>&1)
        fi
        rc=$?
        t1=$(now_us)
        output=${output//$'\r'/}
        if [ $rc = 0 ]; then
            echo "$((t1 - t0)) saved $next"
            current=$next
        else
            echo "$((t1 - t0)) failed $next ${output%%$'\n'*}"
        fi
        next=$((next + 1))
        pause=$((1000000 - (t1 - t0)))
        [ $pause -gt 0 ] && sleep "$(printf '0.%06d' $pause)"
    done >"$log"
}

# program_logins LOG: the Windows program's own login (loginloop.exe) as
# "reader", for the run's length from its own start; its lines "<duration
# us> ok" or "... fail <reason>" are stamped with their end here, as the
# readers' are.
program_logins() {
    local log=$1 line
    timeout $((seconds + 120)) wine "$loginloop" "$wfile" Team reader read "$seconds" "$item_key" \
        </dev/null 2>"$log.err" | while IFS= read -r line; do
        echo "$(now_us) ${line%$'\r'}"
    done >"$log"
}

# designer_saves LOG: the designer (designersaver.exe) as "writer3" renames
# its item "Saved N" and saves about once a second, for the run's length
# from its own start; one line an attempt: "<duration us> saved N" or
# "<duration us> failed N <reason>".
designer_saves() {
    local log=$1 line
    timeout $((seconds + 120)) wine "$designersaver" "$wfile" Team writer3 3 "$seconds" "$item_key" \
        </dev/null 2>"$log.err" | while IFS= read -r line; do
        echo "${line%$'\r'}"
    done >"$log"
}

# wait_started LOG...: until each LOG has a line (its program is up and
# working), at most two minutes.
wait_started() {
    local log waited=0
    for log in "$@"; do
        while [ ! -s "$log" ] && [ $waited -lt 1200 ]; do sleep 0.1; waited=$((waited + 1)); done
    done
}

# checker LOG: vntool check until the deadline; "<rc> <output>" a check.
checker() {
    local log=$1 output rc
    while [ "$(now_us)" -lt $deadline_us ]; do
        output=$("$native" check "$file" 2>&1)
        rc=$?
        echo "$rc ${output%%$'\n'*}"
    done >"$log"
}

echo "sharedfile: ${seconds} s on a menu file of $size bytes (4 menus); $readers native readers," \
    "$wine_readers Windows readers under Wine$([ "$use_wine" = 1 ] && echo ' and the program logging in'), writers:" \
    "native$([ "$use_wine" = 1 ] && echo ', Windows and the designer under Wine'), one checker"
# The program and the designer first: their Wine start-up takes seconds
# under load, and they run their time from when they are up, so that they
# overlap the other writers and the readers for the whole run.
if [ "$use_wine" = 1 ]; then
    program_logins "$work/program-logins.log" & pids+=($!)
    designer_saves "$work/write-designer.log" & pids+=($!)
    wait_started "$work/program-logins.log" "$work/write-designer.log"
fi
start_us=$(now_us)
deadline_us=$((start_us + seconds * 1000000))
for i in $(seq 1 "$readers"); do reader native "$work/read-native-$i.log" & pids+=($!); done
for i in $(seq 1 "$wine_readers"); do reader wine "$work/read-wine-$i.log" & pids+=($!); done
writer native writer1 "$work/write-native.log" & pids+=($!)
if [ "$use_wine" = 1 ]; then
    writer wine writer2 "$work/write-wine.log" & pids+=($!)
fi
checker "$work/check.log" & pids+=($!)
wait
pids=()
end_us=$(now_us)
elapsed_s=$(awk -v a=$start_us -v b=$end_us 'BEGIN { printf "%.1f", (b - a) / 1e6 }')

# --- the figures.

cat "$work"/read-native-*.log >"$work/reads-native" 2>/dev/null
cat /dev/null "$work"/read-wine-*.log >"$work/reads-wine" 2>/dev/null
cat "$work/reads-native" "$work/reads-wine" >"$work/reads-all"

# read_figures FILE: "<done> <failed> <median ms> <worst ms>"
read_figures() {
    local n f med worst
    n=$(wc -l <"$1")
    f=$(awk '$3 != "ok"' "$1" | wc -l)
    if [ "$n" = 0 ]; then echo "0 0 0 0"; return; fi
    med=$(awk '{ print $2 / 1000 }' "$1" | sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }')
    worst=$(awk '{ print $2 / 1000 }' "$1" | sort -g | tail -n 1)
    echo "$n $f $med $worst"
}
read -r native_n native_f native_med native_worst < <(read_figures "$work/reads-native")
read -r wine_n wine_f wine_med wine_worst < <(read_figures "$work/reads-wine")
reads=$((native_n + wine_n)); reads_failed=$((native_f + wine_f))

# Reads a second over windows of 10 s (the last, shorter one left out when
# there are others): median and slowest window.
read -r rate_med rate_worst < <(awk -v s=$start_us -v secs=$seconds '
    { w = int(($1 - s) / 10e6); c[w]++ }
    END { nw = int(secs / 10); if (nw < 1) nw = 1
          for (i = 0; i < nw; i++) r[i] = c[i] / (secs < 10 ? secs : 10)
          # sort the rates
          for (i = 0; i < nw; i++) for (j = i + 1; j < nw; j++) if (r[j] < r[i]) { x = r[i]; r[i] = r[j]; r[j] = x }
          printf "%.1f %.1f\n", r[int((nw - 1) / 2)], r[0] }' "$work/reads-all")

echo
echo "reads done: $reads ($native_n native, $wine_n Windows under Wine), $(awk -v n=$reads -v s=$elapsed_s 'BEGIN { printf "%.1f", n / s }') a second"
echo "reads failed: $reads_failed ($native_f native, $wine_f Windows)"
if [ "$reads_failed" != 0 ]; then
    awk '$3 != "ok" { $1 = ""; $2 = ""; $3 = ""; print }' "$work/reads-all" | sed 's/^ *//' | sort | uniq -c | sort -rn | head -n 10
    problem "$reads_failed reads failed"
fi
echo "read time: native median $native_med ms, worst $native_worst ms; Windows median $wine_med ms, worst $wine_worst ms"
[ "$native_n" -gt 0 ] || problem "no native read was done"
[ "$wine_readers" = 0 ] || [ "$wine_n" -gt 0 ] || problem "no Windows read was done"

# The program's own logins: every one must have logged in to the whole menu.
if [ "$use_wine" = 1 ]; then
    read -r login_n login_f login_med login_worst < <(read_figures "$work/program-logins.log")
    echo "program logins (Vantrel's worker under Wine): $login_n done, $login_f failed;" \
        "login time median $login_med ms, worst $login_worst ms"
    if [ "$login_f" != 0 ]; then
        awk '$3 != "ok" { $1 = ""; $2 = ""; $3 = ""; print }' "$work/program-logins.log" | sed 's/^ *//' |
            sort | uniq -c | sort -rn | head -n 10
        problem "$login_f program logins failed"
    fi
    if [ "$login_n" = 0 ]; then
        problem "the program never logged in: $(head -c 300 "$work/program-logins.log.err")"
    fi
fi

checks=$(wc -l <"$work/check.log")
checks_failed=$(awk '$1 != 0' "$work/check.log" | wc -l)
echo "checks done: $checks, failed: $checks_failed"
if [ "$checks_failed" != 0 ]; then
    awk '$1 != 0' "$work/check.log" | sort | uniq -c | sort -rn | head -n 5
    problem "$checks_failed checks failed"
fi
[ "$checks" -gt 0 ] || problem "no check was done"

# Every writer's last reported save must be the password in the file now.
declare -A saves_done saves_failed last_saved save_med save_worst
writers=(native)
[ "$use_wine" = 1 ] && writers+=(wine)
for side in "${writers[@]}"; do
    log=$work/write-$side.log
    saves_done[$side]=$(awk '$2 == "saved"' "$log" | wc -l)
    saves_failed[$side]=$(awk '$2 == "failed"' "$log" | wc -l)
    last_saved[$side]=$(awk '$2 == "saved" { n = $3 } END { print n + 0 }' "$log")
    save_med[$side]=$(awk '{ print $1 / 1000 }' "$log" | sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] + 0 }')
    save_worst[$side]=$(awk '{ print $1 / 1000 }' "$log" | sort -g | tail -n 1)
    echo "saves by the $side writer: ${saves_done[$side]} done, ${saves_failed[$side]} failed," \
        "last saved ${last_saved[$side]}; save time median ${save_med[$side]} ms, worst ${save_worst[$side]} ms"
    if [ "${saves_failed[$side]}" != 0 ]; then
        awk '$2 == "failed" { $1 = ""; $2 = ""; $3 = ""; print }' "$log" | sed 's/^ *//' | sort | uniq -c | head -n 5
        problem "${saves_failed[$side]} saves of the $side writer failed"
    fi
    [ "${saves_done[$side]}" -gt 0 ] || problem "the $side writer saved nothing"
done

# The designer's saves: none may fail, and its last one must be the caption
# in the file at the end.
if [ "$use_wine" = 1 ]; then
    log=$work/write-designer.log
    designer_done=$(awk '$2 == "saved"' "$log" | wc -l)
    designer_failed=$(awk '$2 != "saved"' "$log" | wc -l)
    designer_last=$(awk '$2 == "saved" { n = $3 } END { print n + 0 }' "$log")
    designer_med=$(awk '{ print $1 / 1000 }' "$log" | sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] + 0 }')
    designer_worst=$(awk '{ print $1 / 1000 }' "$log" | sort -g | tail -n 1)
    echo "saves by the designer: $designer_done done, $designer_failed failed, last saved $designer_last;" \
        "save time median $designer_med ms, worst ${designer_worst:-0} ms"
    if [ "$designer_failed" != 0 ]; then
        awk '$2 != "saved" { $1 = ""; $2 = ""; $3 = ""; print }' "$log" | sed 's/^ *//' | sort | uniq -c | head -n 5
        problem "$designer_failed saves of the designer failed"
    fi
    [ "$designer_done" -gt 0 ] || problem "the designer saved nothing: $(head -c 300 "$log.err")"
fi

# The file at the end: sound, every menu and user still there, each
# writer's last saved password in force, no side file left behind.
final_check=$("$native" check "$file" 2>&1) || problem "the final file is not sound: $final_check"
"$native" list "$file" >"$work/list.after" 2>&1
cmp -s "$work/list.before" "$work/list.after" || problem "menus or users changed: $(diff "$work/list.before" "$work/list.after" | head -n 5)"
user_of() { [ "$1" = native ] && echo writer1 || echo writer2; }
for side in "${writers[@]}"; do
    user=$(user_of "$side")
    "$native" dump "$file" --menu Team --user "$user" --password "${last_saved[$side]}" >/dev/null 2>&1 ||
        problem "the last save of the $side writer ($user = ${last_saved[$side]}) is not in the file"
done
if [ "$use_wine" = 1 ]; then
    wine "$windows" dump "$wfile" --menu Team --user writer1 --password "${last_saved[native]}" >/dev/null 2>&1 </dev/null ||
        problem "the Windows build does not read the native writer's last save"
fi
if [ "$use_wine" = 1 ] && [ "$designer_done" -gt 0 ]; then
    caption=$("$native" dump "$file" --menu Team --user reader --password read 2>&1 | grep -o '"caption": "Saved [0-9]*"')
    [ "$caption" = "\"caption\": \"Saved $designer_last\"" ] ||
        problem "the designer's last save (Saved $designer_last) is not in the file: ${caption:-no saved caption}"
fi
[ ! -e "$file.~save" ] || problem "a side file was left behind"
echo "final file: $final_check"

section="Files shared by processes"
label="$((readers + wine_readers)) readers ($wine_readers under Wine), 2 writers, 1 checker, ${seconds} s"
echo
echo "BENCH|$section|reads a second, $label (median and slowest 10 s window)|$rate_med|$rate_worst|reads/s|-"
echo "BENCH|$section|read time, native vntool dump (process start included)|$native_med|$native_worst|ms|-"
if [ "$wine_readers" != 0 ]; then
    echo "BENCH|$section|read time, Windows vntool.exe dump under Wine (process start included)|$wine_med|$wine_worst|ms|-"
fi
echo "BENCH|$section|failed reads, $label|$reads_failed|$reads_failed|count|0"
echo "BENCH|$section|failed checks, $checks checks|$checks_failed|$checks_failed|count|0"
for side in "${writers[@]}"; do
    attempts=$((saves_done[$side] + saves_failed[$side]))
    echo "BENCH|$section|saves done, $side writer (vntool passwd about once a second)|${saves_done[$side]}|${saves_done[$side]}|count|all $attempts attempts"
    echo "BENCH|$section|save time, $side writer|${save_med[$side]}|${save_worst[$side]}|ms|-"
done
if [ "$use_wine" = 1 ]; then
    echo "BENCH|$section|program logins done, Vantrel's worker under Wine|$login_n|$login_n|count|-"
    echo "BENCH|$section|program logins failed|$login_f|$login_f|count|0"
    echo "BENCH|$section|program login time, Vantrel's worker under Wine|$login_med|$login_worst|ms|-"
    echo "BENCH|$section|saves done, designer (its Save command about once a second)|$designer_done|$designer_done|count|all $((designer_done + designer_failed)) attempts"
    echo "BENCH|$section|designer saves failed|$designer_failed|$designer_failed|count|0"
    echo "BENCH|$section|save time, designer|$designer_med|${designer_worst:-0}|ms|-"
fi

if [ $ok = 1 ]; then echo "sharedfile: every goal held"; exit 0; fi
echo "sharedfile: FAILED"
STRESS_KEEP=1
exit 1
