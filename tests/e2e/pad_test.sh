#!/usr/bin/env bash
# Plays a game in a real X window with a pad alone, looking at the screen at
# each stage as the play-through with the mouse does: the pad is plugged in
# once the title shows; south starts the intro and cuts it short; the stick
# pushes the paddle to the wall, south serves, the stick steers right and
# left by the distances its speeds give; Start pauses and resumes; north in
# the pause gives up; unplugged and plugged in again on the title, the pad
# starts a second game, pauses it, and Back in the pause leaves, status 0.
# The pad is SDL's virtual one inside qorb_pad_game, worked through a pipe.
# Usage: pad_test.sh <qorb_pad_game> <asset dir> <screen_check>
set -uo pipefail

game=$1
assets=$2
checker=$3
cleanup_more() { exec 5>&-; }  # the game's input ends with the test
source "$(dirname "$0")/e2e_lib.sh"
source "$(dirname "$0")/play_steps.sh"

shot() { xwd -silent -id "$wid" >"$tmp/$1.xwd" 2>/dev/null || fail "no screenshot for $1"; }

# The stages of play_steps.sh, worked by the pad: its keys are buttons, and
# the mouse's nudges are the stick's.
pad() { echo "$*" >&5 || fail "the pad's pipe is closed"; }
button_of() {
    case $1 in
    Return) echo a ;;
    F1) echo start ;;
    Escape) echo back ;;
    *) echo "$1" ;;
    esac
}
hold_key() {
    local b
    b=$(button_of "$1")
    pad button "$b" 1
    sleep "$hold_seconds"
    pad button "$b" 0
}
tap_key() {
    local b
    b=$(button_of "$1")
    pad button "$b" 1
    sleep 0.5
    pad button "$b" 0
}
nudge_mouse() {
    local x=26000
    ((sweep++ % 8 < 4)) || x=-26000
    pad axis leftx "$x"
    sleep 0.1
    pad axis leftx 0
}

# The paddle's picture, as paddle_at_wall looks for it, 20 pixels right of
# where the paddle stands: that x, found along its row.
paddle_x() {
    shot "$1"
    local x
    x=$("$checker" --find-x "$tmp/$1.xwd" "$assets/ELEMENTS.DAT" 383 5 70 10 554 20 700 80 2>"$tmp/check.out") || {
        keep "$1"
        fail "no paddle on the screen ($(cat "$tmp/check.out"))"
    }
    echo $((x - 20))
}

# steer AXIS_VALUE SECONDS: tilts the stick that far for about that long;
# sets held_ms to how long it was tilted, as this script timed it.
steer() {
    local start=${EPOCHREALTIME/./}
    pad axis leftx "$1"
    sleep "$2"
    pad axis leftx 0
    held_ms=$(((${EPOCHREALTIME/./} - start) / 1000))
}

# The speeds of the mapping (src/platform/gamepad.h): full tilt 1200 px a
# second; past the dead zone of 0.2 the share of it grows as the square, so
# a stick at 0.575 (18841) goes at a quarter of full speed, 300 px a second.
# A moved distance must be within these shares of speed x time: a game
# starved by a loaded machine moves less, as a stalled game must (and a
# stuttered one, QORB_E2E_STUTTER, much less); a cubic response would give
# half of it, a linear one twice as much.
low=55
[[ -n "${QORB_E2E_STUTTER:-}" ]] && low=10
expect_moved() {
    local what=$1 moved=$2 speed=$3
    local expected=$((speed * held_ms / 1000))
    echo "$what: moved $moved px in $held_ms ms, $expected expected"
    ((moved * 100 >= expected * low && moved * 100 <= expected * 130 + 500)) ||
        fail "$what: the paddle moved $moved px in $held_ms ms; at $speed px a second that is $expected"
}

start_xvfb 1024x768
mkfifo "$tmp/pad"
exec 5<>"$tmp/pad"
(cd "$assets" && exec "$game" 5>&-) <"$tmp/pad" >"$tmp/game.out" 2>"$tmp/game.err" &
game_pid=$!
wait_for_window
start_stutter

await 60 "the whole title" title TITLES.DAT
pad plug
echo "title shown; pad plugged in"

press_until a 60 "the intro over the clouds" intro CLOUDS.DAT 690 120 100 150 690 120 90
press_until a 60 "round 1's banner" announcement BELEMNTS.DAT 60 42 170 24 229 445 60
await 30 "the end of the announcement" --gone announcement BELEMNTS.DAT 60 42 170 24 229 445 60
echo "intro cut short and round 1 announced"

deadline=$((SECONDS + 30))
until paddle_at_wall before_move; do
    ((SECONDS < deadline)) || {
        keep before_move
        fail "the stick did not push the paddle to the left wall ($(cat "$tmp/check.out"))"
    }
    steer -32768 0.5
    sleep 0.2
    shot before_move
done
echo "paddle pushed to the wall"

# Right at a quarter of full speed for a second, then left at full speed for
# a fifth: 300 and 240 pixels. The ball is held on the paddle until the serve,
# so that no lost ball halts the game meanwhile.
x0=$(paddle_x steer0) || exit 1
steer 18841 1.0
sleep 0.3
x1=$(paddle_x steer1) || exit 1
expect_moved "right at a quarter tilt" $((x1 - x0)) 300
steer -32768 0.2
sleep 0.3
x2=$(paddle_x steer2) || exit 1
expect_moved "left at full tilt" $((x1 - x2)) 1200
# Served from the middle, the ball does not drop beside the paddle at once.
steer 32767 0.2
sleep 0.3
x3=$(paddle_x serve_from) || exit 1

# The serve: the ball, held 40 pixels into the paddle at y 544, leaves.
ball_held() { shows "$1" ELEMENTS.DAT 750 1 10 10 $((x3 + 40)) 544 60; }
shot held
ball_held held || {
    keep held
    fail "no ball held on the paddle ($(cat "$tmp/check.out"))"
}
deadline=$((SECONDS + 30))
while :; do
    hold_key a
    sleep 0.3
    shot served
    ball_held served || break
    ((SECONDS < deadline)) || {
        keep served
        fail "south did not serve the ball"
    }
done
echo "served"

pause_game
resumed=""
for _ in $(seq 3); do
    tap_key F1
    if changes_within 20 resumed; then
        resumed=yes
        break
    fi
done
[[ -n "$resumed" ]] || {
    keep resumed_b
    fail "the game did not resume after Start"
}
echo "paused and resumed with Start"

# North in play does nothing; in the pause it resumes and gives up.
tap_key y
changes_within 20 still_playing || fail "north in play stopped the game"
shows still_playing_b BELEMNTS.DAT 106 123 449 436 174 164 95 && fail "north in play gave up"
pause_game
tap_key y
await 30 "the game-over picture" game_over BELEMNTS.DAT 106 123 449 436 174 164 95
echo "north in the pause gave up"
await 60 "the title again" title TITLES.DAT

pad unplug
sleep 0.5
pad plug
press_until a 60 "the intro over the clouds" intro2 CLOUDS.DAT 690 120 100 150 690 120 90
press_until a 60 "round 1's banner" announcement2 BELEMNTS.DAT 60 42 170 24 229 445 60
await 30 "the end of the announcement" --gone announcement2 BELEMNTS.DAT 60 42 170 24 229 445 60
echo "plugged in again: a second game"
pause_game
tap_key Escape
wait_for_exit 30 || fail "the game still runs 30 s after Back in the pause"
((status == 0)) || fail "the game ended with status $status after Back"
[[ -s "$tmp/game.err" ]] && fail "the game printed: $(cat "$tmp/game.err")"
echo "PASS: a whole game with a pad alone, left with Back in the pause, status 0"
