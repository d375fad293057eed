#!/usr/bin/env bash
# The memory a game takes in a real window on Xvfb, as
# docs/performance.md gives it: peak resident memory in all, and peak private (anonymous) memory,
# over the title's zoom, the intro and a few seconds of round 1.
# Usage: scripts/measure-memory.sh [build/default/game565]
set -uo pipefail
cd "$(dirname "$0")/.."
game=$(realpath "${1:-build/default/game565}")
assets=$(dirname "$game")/assets
game=$game  # for e2e_lib.sh
source tests/e2e/e2e_lib.sh
start_xvfb 1024x768
(cd "$assets" && exec "$game") >"$tmp/game.out" 2>"$tmp/game.err" &
game_pid=$!

peak_anon=0
sample() {
    local anon
    anon=$(awk '/^RssAnon:/ {print $2}' "/proc/$game_pid/status" 2>/dev/null) || return
    [[ -n "$anon" ]] && ((anon > peak_anon)) && peak_anon=$anon
    hwm=$(awk '/^VmHWM:/ {print $2}' "/proc/$game_pid/status" 2>/dev/null || echo "$hwm")
}
watch_for() {
    local until=$((SECONDS + $1))
    while ((SECONDS < until)); do
        kill -0 "$game_pid" 2>/dev/null || fail "the game ended early"
        sample
        sleep 0.1
    done
}
hwm=0
wait_for_window
watch_for 6           # the title zooms in
hold_key Return       # the intro
watch_for 4
hold_key Return       # cut short: round 1 and its announcement
watch_for 6
sample
hold_key Escape
wait_for_exit 10 || fail "the game did not end on Escape"
printf 'measure-memory: %s: peak %.1f MB resident in all, %.1f MB private (anonymous)\n' \
    "$(basename "$game")" "$(echo "$hwm / 1024" | bc -l)" "$(echo "$peak_anon / 1024" | bc -l)"
