#!/usr/bin/env bash
# Plays a game in a real X window as a person would, and looks at the screen
# at each stage (play_steps.sh): the title, the intro, round 1 and its
# announcement, a serve and a move, a pause, the game-over picture, the title
# again, and Escape. With "sigterm-in-pause" it starts a game, pauses it and
# ends it with SIGTERM instead: the pause reads only F1, yet a request from
# the system must end the game as it does in play, with status 0.
# Usage: play_test.sh <game> <asset dir> <screen_check> [sigterm-in-pause]
set -uo pipefail

game=$1
assets=$2
checker=$3
source "$(dirname "$0")/e2e_lib.sh"
source "$(dirname "$0")/play_steps.sh"

shot() { xwd -silent -id "$wid" >"$tmp/$1.xwd" 2>/dev/null || fail "no screenshot for $1"; }

start_xvfb 1024x768
(cd "$assets" && exec "$game") >"$tmp/game.out" 2>"$tmp/game.err" &
game_pid=$!
wait_for_window
start_stutter

if [[ "${4:-}" == sigterm-in-pause ]]; then
    await 60 "the whole title" title TITLES.DAT
    press_until Return 60 "the intro over the clouds" intro CLOUDS.DAT 690 120 100 150 690 120 90
    press_until Return 60 "round 1's banner" announcement BELEMNTS.DAT 60 42 170 24 229 445 60
    await 30 "the end of the announcement" --gone announcement BELEMNTS.DAT 60 42 170 24 229 445 60
    pause_game
    if [[ -n "$stutter_pid" ]]; then
        kill "$stutter_pid"
        wait "$stutter_pid" 2>/dev/null
        stutter_pid=""
        kill -CONT "$game_pid"
    fi
    started=$(date +%s%N)
    kill -TERM "$game_pid"
    # Before, the game stayed paused until F1 was tapped: any end at all is the test.
    wait_for_exit 30 || fail "the paused game still runs 30 s after SIGTERM"
    ((status == 0)) || fail "the paused game ended with status $status after SIGTERM"
    echo "PASS: SIGTERM ended the paused game with status 0 after $((($(date +%s%N) - started) / 1000000)) ms"
    exit 0
fi

play_through
quit_with_escape
echo "PASS: a whole game in a real window, ended with status 0"
