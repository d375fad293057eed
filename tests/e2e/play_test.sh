#!/usr/bin/env bash
# Plays a game in a real X window as a person would, and looks at the screen
# at each stage (play_steps.sh): the title, the intro, round 1 and its
# announcement, a serve and a move, a pause, the game-over picture, the title
# again, and Escape.
# Usage: play_test.sh <game> <asset dir> <screen_check>
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

play_through
quit_with_escape
echo "PASS: a whole game in a real window, ended with status 0"
