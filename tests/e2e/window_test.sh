#!/usr/bin/env bash
# Runs a game in a real X window on its own Xvfb server.
#
#   window_test.sh title <game> <asset dir> <screen_check> <screen WxH> [working dir]
#     starts the game in the working directory (default: the asset folder),
#     waits for the window, checks that it shows the title picture, holds
#     Escape and expects the game to end with status 0 and nothing logged.
#   window_test.sh no-display <game> <asset dir>
#     starts the game where no X server answers and SDL_VIDEODRIVER is not
#     set, and expects one line saying no display could be opened, naming
#     the DISPLAY tried, and status 1 at once (not a game running unseen);
#     nothing the libraries print as they start reaches the player.
#   window_test.sh missing-assets <game>
#     runs a copy of the game that has no assets beside it from a folder
#     without them, and expects one error line naming ELEMENTS.DAT and the
#     three folders searched, and status 1.
set -uo pipefail

mode=$1
game=$2
source "$(dirname "$0")/e2e_lib.sh"

case "$mode" in
title)
    assets=$3
    checker=$4
    start_xvfb "${5:-1024x768}"
    (cd "${6:-$assets}" && exec "$game") >"$tmp/game.out" 2>"$tmp/game.err" &
    game_pid=$!

    wait_for_window

    # The title zooms in for about 3.5 s, then stands still; a loaded
    # machine may take much longer.
    shown=""
    deadline=$((SECONDS + 60))
    while ((SECONDS < deadline)); do
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

    # Without a GPU every OpenGL is a CPU rasteriser: the game must not load
    # one (tens of megabytes) just to find that out.
    if ! compgen -G "/dev/dri/renderD*" >/dev/null; then
        gl=$(grep -oE '/[^ ]*(libGL|libEGL|_dri\.so|libLLVM)[^ ]*' "/proc/$game_pid/maps" | sort -u | tr '\n' ' ')
        [[ -z "$gl" ]] || fail "no GPU here, yet the game loaded: $gl"
    fi
    echo "memory: $(grep -E 'VmHWM|RssAnon' "/proc/$game_pid/status" | tr -s ' \t' ' ' | tr '\n' ' ')"

    # A press the game did not sample is made again.
    for _ in $(seq 5); do
        hold_key Escape
        wait_for_exit 10 && break
    done
    [[ -z "$game_pid" ]] || fail "the game still runs after Escape was held five times"
    ((status == 0)) || fail "the game ended with status $status after Escape"
    [[ ! -s "$tmp/game.err" ]] || fail "the game logged on stderr though all went well"
    echo "PASS: title shown, Escape ended $(basename "$game") with status 0"
    ;;

no-display)
    assets=$3
    # A display number nothing listens on, and no session's runtime folder,
    # whose absence the libraries under SDL complain of as it starts.
    (cd "$assets" && unset WAYLAND_DISPLAY SDL_VIDEODRIVER XDG_RUNTIME_DIR && DISPLAY=:55 exec "$game") \
        >"$tmp/game.out" 2>"$tmp/game.err" &
    game_pid=$!
    wait_for_exit 30 || fail "the game still runs 30 s after start without a display"
    ((status == 1)) || fail "the game ended with status $status, not 1, without a display"
    lines=$(wc -l <"$tmp/game.err")
    ((lines == 1)) || fail "expected one line on stderr, got $lines: $(cat "$tmp/game.err")"
    grep -q "no display could be opened (DISPLAY=:55" "$tmp/game.err" ||
        fail "the error line does not say that no display could be opened on :55: $(cat "$tmp/game.err")"
    echo "PASS: $(cat "$tmp/game.err")"
    ;;

missing-assets)
    start_xvfb 1024x768
    mkdir "$tmp/bin" "$tmp/work"
    cp "$game" "$tmp/bin/"
    (cd "$tmp/work" && exec "$tmp/bin/$(basename "$game")") >"$tmp/game.out" 2>"$tmp/game.err" &
    game_pid=$!
    wait_for_exit 30 || fail "the game still runs 30 s after start without its art"
    ((status == 1)) || fail "the game ended with status $status, not 1, without its art"
    lines=$(wc -l <"$tmp/game.err")
    ((lines == 1)) || fail "expected one line on stderr, got $lines"
    grep -q "ELEMENTS.DAT" "$tmp/game.err" || fail "the error line does not name ELEMENTS.DAT"
    # The working directory, the folder beside the game, and the installed
    # data folder found from the game's folder.
    grep -qE "none of: $tmp/work, $tmp/bin/assets, $tmp/[^,]+$" "$tmp/game.err" ||
        fail "the error line does not name the three folders searched"
    echo "PASS: $(cat "$tmp/game.err")"
    ;;

*)
    fail "unknown mode '$mode'"
    ;;
esac
