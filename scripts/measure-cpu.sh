#!/usr/bin/env bash
# The processor share a game takes in a real window on Xvfb, as
# docs/performance.md gives it: the title waiting after its zoom, and play (round 1, the
# mouse sweeping the paddle to and fro with the ball on it, so that no lost
# ball's explosion and announcement falls into one sample and not another),
# at 1024 x 768 and at 1920 x 1080, with SDL's software renderer.
# The share is the game process's own user and system time over the wall
# time of each sample (the X server's work is not counted); figures taken
# while other programs load the machine are noisy.
# Usage: scripts/measure-cpu.sh [build/default/game565] [SECONDS_A_SAMPLE]
set -uo pipefail
cd "$(dirname "$0")/.."
game=$(realpath "${1:-build/default/game565}")
seconds=${2:-10}
assets=$(dirname "$game")/assets
checker=build/default/tests/e2e/qorb_screen_check
source tests/e2e/e2e_lib.sh
[[ -x "$checker" ]] || fail "$checker is missing: build the default preset first"
export SDL_RENDER_DRIVER=software

ticks_per_second=$(getconf CLK_TCK)
# The game's user and system time so far, in clock ticks.
cpu_ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$game_pid/stat" 2>/dev/null; }
# Prints the share of one core over $seconds, in percent.
sample() {
    local t0 c0 t1 c1
    kill -0 "$game_pid" 2>/dev/null || fail "the game ended early"
    c0=$(cpu_ticks) t0=$(date +%s.%N)
    sleep "$seconds"
    c1=$(cpu_ticks) t1=$(date +%s.%N)
    [[ -n "$c0" && -n "$c1" ]] || fail "the game ended while it was measured"
    echo "scale=2; 100 * ($c1 - $c0) / $ticks_per_second / ($t1 - $t0)" | bc -l
}

for screen in 1024x768 1920x1080; do
    start_xvfb "$screen"
    (cd "$assets" && exec "$game") >"$tmp/game.out" 2>"$tmp/game.err" &
    game_pid=$!
    wait_for_window
    # The title zooms in, then waits: measured once it stands whole.
    for _ in $(seq 120); do
        xwd -silent -root >"$tmp/title.xwd" 2>/dev/null
        "$checker" "$tmp/title.xwd" "$assets/TITLES.DAT" >/dev/null 2>&1 && break
        sleep 0.5
    done
    "$checker" "$tmp/title.xwd" "$assets/TITLES.DAT" >/dev/null 2>&1 || fail "the title did not stand whole"
    sleep 1
    title=$(sample)
    hold_key Return       # the intro
    sleep 2
    hold_key Return       # cut short: round 1 and its announcement
    sleep 6
    (
        while :; do
            xdotool mousemove_relative -- 60 0
            sleep 0.1
            xdotool mousemove_relative -- -60 0
            sleep 0.1
        done
    ) &
    sweep=$!
    sleep 1
    play=$(sample)
    kill "$sweep" 2>/dev/null
    wait "$sweep" 2>/dev/null
    hold_key Escape
    wait_for_exit 10 || fail "the game did not end on Escape"
    printf 'measure-cpu: %s at %s: %s%% of a core on the waiting title, %s%% in play\n' \
        "$(basename "$game")" "$screen" "$title" "$play"
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=""
done
