#!/usr/bin/env bash
# Runs a game in a real X window on its own Xvfb server.
#
#   window_test.sh title <game> <asset dir> <screen_check> <screen WxH>
#     waits for the window, checks that it shows the title picture, holds
#     Escape and expects the game to end with status 0 and nothing logged.
#   window_test.sh missing-assets <game>
#     runs a copy of the game that has no assets beside it from a folder
#     without them, and expects one error line naming ELEMENTS.DAT and status 1.
set -uo pipefail

mode=$1
game=$2
tmp=$(mktemp -d)
xvfb_pid=""
game_pid=""

cleanup() {
    [[ -n "$game_pid" ]] && kill "$game_pid" 2>/dev/null
    [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    for f in "$tmp"/game.err "$tmp"/game.out; do
        [[ -s "$f" ]] && { echo "--- $(basename "$f"):" >&2; cat "$f" >&2; }
    done
    exit 1
}

for tool in Xvfb xdotool xwd; do
    command -v "$tool" >/dev/null || fail "$tool is missing; scripts/install-deps.sh installs it"
done

# Xvfb picks a free display number itself and writes it to the descriptor.
start_xvfb() {
    local screen=$1
    Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.err" &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [[ -s "$tmp/display" ]] && break
        kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb did not start: $(cat "$tmp/xvfb.err")"
        sleep 0.1
    done
    [[ -s "$tmp/display" ]] || fail "Xvfb gave no display number"
    export DISPLAY=":$(head -n1 "$tmp/display")"
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
    wait "$game_pid"
    status=$?
    game_pid=""
    return 0
}

case "$mode" in
title)
    assets=$3
    checker=$4
    start_xvfb "${5:-1024x768}"
    (cd "$assets" && exec "$game") >"$tmp/game.out" 2>"$tmp/game.err" &
    game_pid=$!

    wid=""
    for _ in $(seq 100); do
        kill -0 "$game_pid" 2>/dev/null || fail "the game ended before its window showed"
        wid=$(xdotool search --onlyvisible --name '^Qorb Game Console$' 2>/dev/null | head -n1)
        [[ -n "$wid" ]] && break
        sleep 0.1
    done
    [[ -n "$wid" ]] || fail "no window titled 'Qorb Game Console' within 10 s"

    # The title zooms in for about 3.5 s, then stands still.
    shown=""
    for _ in $(seq 40); do
        sleep 0.5
        kill -0 "$game_pid" 2>/dev/null || fail "the game ended on the title screen"
        xwd -silent -id "$wid" >"$tmp/shot.xwd" 2>/dev/null || continue
        if "$checker" "$tmp/shot.xwd" "$assets/TITLES.DAT" "$tmp/shot.ppm" >"$tmp/check.out"; then
            shown=yes
            break
        fi
    done
    cat "$tmp/check.out"
    if [[ -z "$shown" ]]; then
        cp "$tmp/shot.ppm" "./$(basename "$game")-title.ppm" 2>/dev/null
        fail "the window does not show the title picture (last screenshot: $PWD/$(basename "$game")-title.ppm)"
    fi

    # The game samples keys once a step: hold the key, do not tap it.
    xdotool keydown Escape
    sleep 0.2
    xdotool keyup Escape
    wait_for_exit 5 || fail "the game still runs 5 s after Escape"
    ((status == 0)) || fail "the game ended with status $status after Escape"
    [[ ! -s "$tmp/game.err" ]] || fail "the game logged on stderr though all went well"
    echo "PASS: title shown, Escape ended $(basename "$game") with status 0"
    ;;

missing-assets)
    start_xvfb 1024x768
    mkdir "$tmp/bin" "$tmp/work"
    cp "$game" "$tmp/bin/"
    (cd "$tmp/work" && exec "$tmp/bin/$(basename "$game")") >"$tmp/game.out" 2>"$tmp/game.err" &
    game_pid=$!
    wait_for_exit 10 || fail "the game still runs 10 s after start without its art"
    ((status == 1)) || fail "the game ended with status $status, not 1, without its art"
    lines=$(wc -l <"$tmp/game.err")
    ((lines == 1)) || fail "expected one line on stderr, got $lines"
    grep -q "ELEMENTS.DAT" "$tmp/game.err" || fail "the error line does not name ELEMENTS.DAT"
    echo "PASS: $(cat "$tmp/game.err")"
    ;;

*)
    fail "unknown mode '$mode'"
    ;;
esac
