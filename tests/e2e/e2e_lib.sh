# What the tests in a real window share: a scratch folder, an Xvfb server of
# their own, the game's environment, and waiting for the game to end.
# Sourced by window_test.sh, play_test.sh, scripts/measure-memory.sh,
# scripts/measure-cpu.sh and scripts/check-windows.sh. Before sourcing, a
# script may set fail_prefix (the start of a failure's line), fail_logs (the
# files of $tmp a failure shows), hold_seconds (how long hold_key holds) and
# define cleanup_more (run at exit, after the game is ended and before Xvfb).

tmp=$(mktemp -d)
xvfb_pid=""
game_pid=""
stutter_pid=""

fail_prefix=${fail_prefix:-FAIL}
[[ -n "${fail_logs+set}" ]] || fail_logs=(game.err game.out)
hold_seconds=${hold_seconds:-0.2}

cleanup() {
    [[ -n "$stutter_pid" ]] && kill "$stutter_pid" 2>/dev/null
    if [[ -n "$game_pid" ]] && kill -CONT "$game_pid" 2>/dev/null && kill "$game_pid" 2>/dev/null; then
        # A game left running as its X server goes can spin in Xlib for
        # ever: give it the time to end, then end it.
        for _ in $(seq 50); do
            kill -0 "$game_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL "$game_pid" 2>/dev/null
    fi
    declare -F cleanup_more >/dev/null && cleanup_more
    [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT

fail() {
    echo "$fail_prefix: $*" >&2
    local f
    for f in "${fail_logs[@]}"; do
        [[ -s "$tmp/$f" ]] && { echo "--- $f:" >&2; tail -n 100 "$tmp/$f" >&2; }
    done
    exit 1
}

# Xvfb picks a free display number itself and writes it to the descriptor.
# -noreset: by default the server resets whenever its last client leaves, and
# a client that connects meanwhile (the game, as xdotool polls for its
# window) is refused now and then.
start_xvfb() {
    local screen=$1 tool
    for tool in Xvfb xdotool xwd; do
        command -v "$tool" >/dev/null || fail "$tool is missing; scripts/install-deps.sh installs it"
    done
    Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp -noreset 3>"$tmp/display" 2>"$tmp/xvfb.err" &
    xvfb_pid=$!
    # A whole number, not a file that is still being written.
    local number=""
    for _ in $(seq 100); do
        number=$(head -n1 "$tmp/display" 2>/dev/null)
        [[ "$number" =~ ^[0-9]+$ ]] && break
        kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb did not start: $(cat "$tmp/xvfb.err")"
        sleep 0.1
    done
    [[ "$number" =~ ^[0-9]+$ ]] || fail "Xvfb gave no display number"
    export DISPLAY=":$number"
}

# The game with a dummy sound device, a session's runtime folder, and no
# window manager.
export SDL_AUDIODRIVER=dummy
export XDG_RUNTIME_DIR="$tmp/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# Waits up to $1 seconds for the game to end; sets status.
wait_for_exit() {
    local deadline=$((SECONDS + $1))
    while kill -0 "$game_pid" 2>/dev/null; do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
    status=0
    wait "$game_pid" || status=$?
    game_pid=""
    return 0
}

# Waits up to 30 s for the game's window (a loaded machine can be slow to
# start an X client); sets wid.
wait_for_window() {
    wid=""
    for _ in $(seq 300); do
        kill -0 "$game_pid" 2>/dev/null || fail "the game ended before its window showed"
        wid=$(xdotool search --onlyvisible --name '^Qorb Game Console$' 2>/dev/null | head -n1)
        [[ -n "$wid" ]] && return 0
        sleep 0.1
    done
    fail "no window titled 'Qorb Game Console' within 30 s"
}

# The game samples keys once a step: hold a key, do not tap it.
hold_key() {
    xdotool keydown "$1"
    sleep "$hold_seconds"
    xdotool keyup "$1"
}

# With QORB_E2E_STUTTER=MS set, the game is stopped for MS milliseconds of
# every second, as a machine loaded beyond its cores starves it: a check that
# no stage of a test hangs on how quickly the game answers.
start_stutter() {
    local ms=${QORB_E2E_STUTTER:-}
    [[ -n "$ms" ]] || return 0
    ((ms > 0 && ms < 1000)) || fail "QORB_E2E_STUTTER must be milliseconds from 1 to 999"
    local stop run
    stop=$(printf '0.%03d' "$ms")
    run=$(printf '0.%03d' $((1000 - ms)))
    (
        while kill -STOP "$game_pid" 2>/dev/null; do
            sleep "$stop"
            kill -CONT "$game_pid" 2>/dev/null
            sleep "$run"
        done
    ) &
    stutter_pid=$!
}
