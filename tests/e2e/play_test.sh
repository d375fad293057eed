#!/usr/bin/env bash
# Plays a game in a real X window as a person would, and looks at the screen
# at each stage: the title, the intro, round 1 and its announcement, a serve
# and a move, a pause, the game-over picture, the title again, and Escape.
# Usage: play_test.sh <game> <asset dir> <screen_check>
set -uo pipefail

game=$1
assets=$2
checker=$3
source "$(dirname "$0")/e2e_lib.sh"

shot() { xwd -silent -id "$wid" >"$tmp/$1.xwd" 2>/dev/null || fail "no screenshot for $1"; }

# check NAME PICTURE AX AY W H SX SY PERCENT: a region of the screen shows the art.
check() {
    local name=$1
    shift
    "$checker" --region "$tmp/$name.xwd" "$assets/$@" || {
        cp "$tmp/$name.xwd" "./play-$name.xwd" 2>/dev/null
        fail "the screen at '$name' is not as expected (kept as $PWD/play-$name.xwd)"
    }
}

# Polls up to $1 seconds until the whole title stands in the window.
wait_for_title() {
    for _ in $(seq $(($1 * 2))); do
        sleep 0.5
        kill -0 "$game_pid" 2>/dev/null || fail "the game ended on the title screen"
        shot title
        "$checker" "$tmp/title.xwd" "$assets/TITLES.DAT" >/dev/null && return 0
    done
    fail "the title picture did not show within $1 s"
}

start_xvfb 1024x768
(cd "$assets" && exec "$game") >"$tmp/game.out" 2>"$tmp/game.err" &
game_pid=$!
wait_for_window

wait_for_title 20
sleep 0.5  # the last steps of the zoom already stand at 1:1; let it finish
echo "title shown"

hold_key Return
sleep 1.5
shot intro
# Right of the ship and below the caption the clouds stand bare.
check intro CLOUDS.DAT 690 120 100 150 690 120 90
echo "intro over the clouds"

hold_key Return
sleep 1.2
shot announcement
# Round 1's picture below the bricks, and the banner over it.
check announcement LEVEL1.GRA 83 283 400 120 100 300 90
check announcement BELEMNTS.DAT 60 42 170 24 229 445 60
echo "round 1 announced"
sleep 3

# Pushed against the left wall, the paddle stands at x 10.
for _ in $(seq 10); do
    xdotool mousemove_relative -- -100 0
    sleep 0.03
done
sleep 0.3
shot before_move
check before_move ELEMENTS.DAT 383 5 70 10 30 554 80
xdotool mousedown 1
sleep 0.2
xdotool mouseup 1
for _ in $(seq 10); do
    xdotool mousemove_relative -- 30 0
    sleep 0.05
done
sleep 0.3
shot after_move
if "$checker" --region "$tmp/after_move.xwd" "$assets/ELEMENTS.DAT" 383 5 70 10 30 554 80 >/dev/null; then
    fail "the paddle did not move with the mouse"
fi
echo "served and moved the paddle"

# Keys are not read during a lost ball's explosion and announcement: wait
# until the game answers the mouse, then tap F1, until the picture stands
# still though the mouse moves.
live() {
    shot live_a
    xdotool mousemove_relative -- 15 0
    sleep 0.15
    shot live_b
    ! "$checker" --same "$tmp/live_a.xwd" "$tmp/live_b.xwd" >/dev/null
}
paused=""
for _ in $(seq 6); do
    for _ in $(seq 25); do live && break; done
    hold_key F1
    sleep 0.3
    shot paused_a
    xdotool mousemove_relative -- 20 0
    sleep 0.5
    shot paused_b
    if "$checker" --same "$tmp/paused_a.xwd" "$tmp/paused_b.xwd" >/dev/null; then
        paused=yes
        break
    fi
done
[[ -n "$paused" ]] || fail "the picture never stood still after F1"
hold_key F1
sleep 0.3
shot resumed_a
# The paddle answers the mouse again, even with the ball resting on it.
xdotool mousemove_relative -- -40 0
sleep 0.3
shot resumed_b
"$checker" --same "$tmp/resumed_a.xwd" "$tmp/resumed_b.xwd" >/dev/null && fail "the game did not resume after F1"
echo "paused and resumed"

# F5 is read at the start of a play step; a ball lost meanwhile holds the
# game in its explosion and announcement, so keep F5 down until it shows.
xdotool keydown F5
shown=""
for _ in $(seq 30); do
    sleep 0.3
    shot game_over
    if "$checker" --region "$tmp/game_over.xwd" "$assets/BELEMNTS.DAT" 106 123 449 436 174 164 95 >/dev/null; then
        shown=yes
        break
    fi
done
xdotool keyup F5
[[ -n "$shown" ]] || check game_over BELEMNTS.DAT 106 123 449 436 174 164 95
echo "game over shown"

wait_for_title 20
sleep 0.5
echo "back to the title"

hold_key Escape
wait_for_exit 5 || fail "the game still runs 5 s after Escape"
((status == 0)) || fail "the game ended with status $status after Escape"
echo "PASS: a whole game in a real window, ended with status 0"
