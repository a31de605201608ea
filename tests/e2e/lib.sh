# Shared helpers for the end-to-end scripts. They run inside scripts/wine-session,
# which provides WINEPREFIX and a private DISPLAY; ctest provides VANTREL_OUT
# (deliverables), VANTREL_BIN (test helpers) and VANTREL_SRC.
set -euo pipefail

: "${VANTREL_WINE_SESSION:?run through scripts/wine-session}"
E2E_TMP=$(mktemp -d)
E2E_PIDS=()

e2e_cleanup() {
    local pid
    for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$E2E_TMP"
}
trap e2e_cleanup EXIT

# fail MESSAGE: ends the case, saying what was on the screen, so that a
# failure seen once under load can be explained.
fail() {
    echo "FAIL: $*" >&2
    if [ -n "${DISPLAY:-}" ]; then
        local window
        echo "visible windows, bottom to top (x y width height title):" >&2
        for window in $(xdotool search --onlyvisible --name '' 2>/dev/null); do
            echo "  $(xdotool getwindowgeometry --shell "$window" 2>/dev/null |
                awk -F= '/^[XY]=|^WIDTH=|^HEIGHT=/ { printf "%s ", $2 }')$(xdotool getwindowname "$window" 2>/dev/null)" >&2
        done
    fi
    exit 1
}
note() { echo "-- $*"; }
# A command that fails outside a check ends the case too; say which one, so
# that such an end is never silent. Failures inside command substitutions
# stay theirs to handle, as they were without the trap.
failed_command() {
    local status=$1 line=$2 command=$3 where="" i
    [ "$BASHPID" = "$$" ] || return 0
    # The line each function had reached, innermost first: $LINENO alone
    # does not say which call of a shared helper failed.
    for ((i = 1; i < ${#FUNCNAME[@]}; i++)); do
        where+=" ${FUNCNAME[$i]} at $(basename "${BASH_SOURCE[$i]}"):${BASH_LINENO[$((i - 1))]};"
    done
    fail "line $line of $(basename "$0"): '$command' exited $status (in:$where)"
}
set -E
trap 'failed_command $? $LINENO "$BASH_COMMAND"' ERR

# wait_for SECONDS DESCRIPTION COMMAND...: polls COMMAND until it succeeds.
# When it times out, the command named by WAIT_EXPLAIN, if set for the call
# (WAIT_EXPLAIN=cmd wait_for ...), prints what tells the causes apart.
wait_for() {
    local seconds=$1 what=$2; shift 2
    local deadline=$((SECONDS + seconds))
    until "$@" >/dev/null 2>&1; do
        if [ $SECONDS -ge $deadline ]; then
            [ -z "${WAIT_EXPLAIN:-}" ] || $WAIT_EXPLAIN >&2 || true
            fail "timed out after ${seconds}s waiting for $what"
        fi
        sleep 0.1
    done
}

# wine_tool WHAT COMMAND...: runs a Wine command that must succeed and may be
# run again (reg add, vntool build); when it fails, the case ends with what it
# said. Once, in a clean-clone run, `reg add` exited 1 without a word, where
# reg names the reason for each refusal of its own (1,800 in a row here did
# not fail); so a silent failure is noted, with Wine's own error lines, and
# tried again, three tries in all, so that it neither fails a case nor goes
# unexplained. A failure with words is the tool's own: it ends the case at
# once.
wine_tool() {
    local what=$1 said words rc attempt; shift
    for attempt in 1 2 3; do
        rc=0
        said=$(WINEDEBUG=-all,err+all "$@" </dev/null 2>&1) || rc=$?
        [ $rc != 0 ] || return 0
        words=$(tr -d '\r' <<<"$said" | grep -Ev '^[0-9a-f]+:(err|fixme|warn|trace):' || true)
        [ -z "$(tr -d '\n' <<<"$words")" ] && [ $attempt -lt 3 ] || break
        note "$what: '${*:1:3}' exited $rc without a word (try $attempt); trying again." \
            "Wine's error lines: $(tr -d '\r' <<<"$said" | tail -n 10 | tr '\n' ' ')"
    done
    fail "$what: '${*:1:3}' exited $rc: $(tr -d '\r' <<<"$said" | tail -n 20)"
}

# start_windows_program EXE ARGS...: starts it under Wine in the background.
start_windows_program() {
    wine "$@" </dev/null >>"$E2E_TMP/wine.log" 2>&1 &
    E2E_PIDS+=($!)
    LAST_PID=$!
}

# window_by_title TITLE: prints the X window id of the visible window so titled.
window_by_title() {
    xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1
}

# window_exists TITLE: true while a visible window has that title.
window_exists() {
    [ -n "$(window_by_title "$1")" ]
}

# screenshot FILE: the whole private display, as PNG.
screenshot() {
    import -display "$DISPLAY" -window root "$1"
}

# click_tray_icon BUTTON: clicks the first icon in Wine's own tray window
# (what a display without a desktop shows) with mouse button BUTTON. The
# window comes with the first icon, which a program may add after it has
# already shown a message, so it is waited for.
click_tray_icon() {
    local win height
    wait_for 30 "the Wine System Tray window" window_exists 'Wine System Tray'
    win=$(window_by_title 'Wine System Tray')
    height=$(xdotool getwindowgeometry "$win" | awk '/Geometry/ {split($2, a, "x"); print a[2]}')
    xdotool mousemove --window "$win" 12 $((height - 12)) click "$1"
}

# await_exit PID SECONDS: waits for a background program to end and sets
# EXIT_CODE (in the calling shell: a command substitution cannot collect it).
await_exit() {
    local pid=$1 deadline=$((SECONDS + $2))
    while kill -0 "$pid" 2>/dev/null; do
        [ $SECONDS -lt $deadline ] || fail "process $pid still running after ${2}s"
        sleep 0.1
    done
    EXIT_CODE=0
    wait "$pid" || EXIT_CODE=$?
}

# start_map_watch FILE: a native X client that writes a line to FILE for
# every top-level window mapped on the display ("map MS WINDOW INSTANCE
# TITLE", MS on a monotonic clock), built here from mapwatch.c.
start_map_watch() {
    local tool="$E2E_TMP/mapwatch"
    cc -std=c11 -D_POSIX_C_SOURCE=199309L -O2 -o "$tool" "$(dirname "${BASH_SOURCE[0]}")/mapwatch.c" -lX11 ||
        fail "could not build mapwatch (needs a C compiler and the X11 headers)"
    "$tool" >"$1" &
    E2E_PIDS+=($!)
    wait_for 10 "the map watcher" grep -q '^ready' "$1"
}
