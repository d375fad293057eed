# A whole game as a person plays it, each stage awaited on the screen rather
# than after a fixed time, so that a slow machine only makes it slower: the
# title, the intro, round 1 and its announcement, a serve and a move, a
# pause, the game-over picture, the title again, and Escape.
#
# Shared by the play-through in an X window (play_test.sh) and the one under
# Wine (scripts/check-windows.sh). The caller sets $tmp, $assets (the art to
# compare the screen with), $checker (qorb_screen_check) and $game_pid, and
# defines `shot NAME` (a screenshot of the game into $tmp/NAME.xwd),
# `hold_key KEY`, `fail MESSAGE` and `wait_for_exit SECONDS` (sets $status
# and clears $game_pid). It works with and without `set -e`.

# shows NAME PICTURE [AX AY W H SX SY PERCENT]: screenshot NAME shows the
# whole picture, or the region of it at (SX, SY).
shows() {
    local name=$1 picture=$2
    shift 2
    if (($# == 0)); then
        "$checker" "$tmp/$name.xwd" "$assets/$picture" >"$tmp/check.out" 2>&1
    else
        "$checker" --region "$tmp/$name.xwd" "$assets/$picture" "$@" >"$tmp/check.out" 2>&1
    fi
}

# Keeps a screenshot in $keep_dir (default: where the test runs), for a look
# after a failure.
keep() {
    local kept
    kept=$(cd "${keep_dir:-.}" && pwd)/play-$1.xwd
    cp "$tmp/$1.xwd" "$kept" 2>/dev/null && echo "kept the screen as $kept" >&2 || true
}

# await SECONDS WHAT [--gone] NAME PICTURE [region]: screenshots until the
# picture shows (or, with --gone, no longer shows).
await() {
    local seconds=$1 what=$2 want=0
    shift 2
    if [[ "$1" == "--gone" ]]; then
        want=1
        shift
    fi
    local deadline=$((SECONDS + seconds)) got
    while :; do
        kill -0 "$game_pid" 2>/dev/null || fail "the game ended while waiting for $what"
        shot "$1"
        got=0
        shows "$@" || got=$?
        ((got == 2)) && fail "cannot compare the screen: $(cat "$tmp/check.out")"
        ((got == want)) && return 0
        ((SECONDS < deadline)) || break
        sleep 0.2
    done
    keep "$1"
    fail "$what: not so within $seconds s ($(cat "$tmp/check.out"))"
}

# press_until KEY SECONDS WHAT NAME PICTURE [region]: holds KEY until the
# picture shows; a press the game did not sample is made again.
press_until() {
    local key=$1 seconds=$2 what=$3
    shift 3
    local deadline=$((SECONDS + seconds))
    while :; do
        hold_key "$key"
        # The stages keys lead to show at once, but a busy machine may take
        # a while, and a second press would skip the stage.
        local retry=$((SECONDS + 10))
        while ((SECONDS < retry)); do
            kill -0 "$game_pid" 2>/dev/null || fail "the game ended while waiting for $what"
            shot "$1"
            shows "$@" && return 0
            sleep 0.2
        done
        ((SECONDS < deadline)) || break
    done
    keep "$1"
    fail "$what: not so within $seconds s of pressing $key ($(cat "$tmp/check.out"))"
}

# still A B: two screenshots show the same picture.
still() { "$checker" --same "$tmp/$1.xwd" "$tmp/$2.xwd" >/dev/null; }

# Keys are sampled, not queued: a tap must outlast the game's slowest step.
tap_key() {
    xdotool keydown "$1"
    sleep 0.5
    xdotool keyup "$1"
}

# Moves the mouse 25 pixels, in sweeps of four moves one way, then the other,
# so that a paddle against a wall moves on the way back.
sweep=0
nudge_mouse() {
    local dx=25
    ((sweep++ % 8 < 4)) || dx=-25
    xdotool mousemove_relative -- "$dx" 0
}

# changes_within SECONDS NAME: the picture changes within SECONDS while the
# mouse moves (screenshots NAME_a, the first, and NAME_b, the latest).
changes_within() {
    local deadline=$((SECONDS + $1))
    shot "$2_a"
    while ((SECONDS < deadline)); do
        kill -0 "$game_pid" 2>/dev/null || fail "the game ended while waiting for it to draw ($2)"
        nudge_mouse
        sleep 0.2
        shot "$2_b"
        still "$2_a" "$2_b" || return 0
    done
    return 1
}

# stands_still WINDOW SECONDS: within SECONDS, the picture stays the same for
# WINDOW seconds on end while the mouse moves; still_a is that picture.
stands_still() {
    local window=$1 deadline=$((SECONDS + $2)) since=$SECONDS
    shot still_a
    while ((SECONDS < deadline)); do
        kill -0 "$game_pid" 2>/dev/null || fail "the game ended while waiting for it to stand still"
        nudge_mouse
        sleep 0.2
        shot still_b
        if ! still still_a still_b; then
            cp "$tmp/still_b.xwd" "$tmp/still_a.xwd"
            since=$SECONDS
        fi
        ((SECONDS - since >= window)) && return 0
    done
    return 1
}

# The round's banner, shown when a round starts or a ball is lost.
banner() { shows "$1" BELEMNTS.DAT 60 42 170 24 229 445 60; }

# The paddle, pinned against the left wall, stands at x 10.
paddle_at_wall() { shows "$1" ELEMENTS.DAT 383 5 70 10 30 554 80; }

# A paused game draws nothing at all; a running one answers the mouse (or
# shows a lost ball's explosion and announcement). Each stage waits on that,
# never for a set time, so a loaded machine only makes it slower. Keys are not
# read during an explosion or announcement: tap F1 until the picture stands
# still though the mouse moves, with no banner to explain it.
pause_game() {
    local paused=""
    for _ in $(seq 6); do
        changes_within 30 live || {
            keep live_b
            fail "the game does not answer the mouse before the pause"
        }
        tap_key F1
        if stands_still 4 20 && ! banner still_a; then
            paused=yes
            break
        fi
    done
    [[ -n "$paused" ]] || fail "the picture never stood still after F1"
}

play_through() {
    await 60 "the whole title" title TITLES.DAT
    echo "title shown"

    # Right of the ship and below the caption the clouds stand bare.
    press_until Return 60 "the intro over the clouds" intro CLOUDS.DAT 690 120 100 150 690 120 90
    echo "intro over the clouds"

    # Round 1's picture below the bricks, and the banner over it while the
    # fanfare plays.
    press_until Return 60 "round 1's banner" announcement BELEMNTS.DAT 60 42 170 24 229 445 60
    shows announcement LEVEL1.GRA 83 283 400 120 100 300 90 ||
        fail "round 1's picture is not behind the banner ($(cat "$tmp/check.out"))"
    echo "round 1 announced"
    await 30 "the end of the announcement" --gone announcement BELEMNTS.DAT 60 42 170 24 229 445 60

    # The mouse is read again once the round starts: push until the paddle
    # stands at the wall.
    local deadline=$((SECONDS + 30))
    while :; do
        for _ in $(seq 10); do
            xdotool mousemove_relative -- -100 0
            sleep 0.03
        done
        sleep 0.3
        shot before_move
        paddle_at_wall before_move && break
        ((SECONDS < deadline)) || {
            keep before_move
            fail "the paddle did not reach the left wall ($(cat "$tmp/check.out"))"
        }
    done
    xdotool mousedown 1
    sleep 0.2
    xdotool mouseup 1
    deadline=$((SECONDS + 30))
    while :; do
        for _ in $(seq 10); do
            xdotool mousemove_relative -- 30 0
            sleep 0.05
        done
        sleep 0.3
        shot after_move
        paddle_at_wall after_move || break
        ((SECONDS < deadline)) || {
            keep after_move
            fail "the paddle did not move with the mouse"
        }
    done
    echo "served and moved the paddle"

    pause_game
    # A tap the game did not see leaves it paused; tap again, but only after
    # a long look, so that a slow game is not paused afresh.
    local resumed=""
    for _ in $(seq 3); do
        tap_key F1
        if changes_within 20 resumed; then
            resumed=yes
            break
        fi
    done
    if [[ -z "$resumed" ]]; then
        keep resumed_b
        fail "the game did not resume after F1"
    fi
    echo "paused and resumed"

    # F5 is read at the start of a play step; a ball lost meanwhile holds the
    # game in its explosion and announcement, so keep F5 down until it shows.
    xdotool keydown F5
    await 30 "the game-over picture" game_over BELEMNTS.DAT 106 123 449 436 174 164 95
    xdotool keyup F5
    echo "game over shown"

    await 60 "the title again" title TITLES.DAT
    echo "back to the title"
}

# Holds Escape until the game ends, a few times at most; fails unless it ends
# with status 0.
quit_with_escape() {
    local tries=0
    while kill -0 "$game_pid" 2>/dev/null && ((tries < 5)); do
        hold_key Escape
        tries=$((tries + 1))
        wait_for_exit 10 && break
    done
    [[ -z "$game_pid" ]] || wait_for_exit 10 || fail "the game still runs after Escape was held $tries times"
    ((status == 0)) || fail "the game ended with status $status after Escape"
}
