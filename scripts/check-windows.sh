#!/usr/bin/env bash
# Cross-builds game565.exe and game555.exe with mingw-w64 and runs each under
# Wine on an 800 x 600 Xvfb screen with a null sound device: the title must
# zoom in and fill the screen, and holding Escape must end the program with
# status 0. Installs what it needs (Debian packages, only those missing).
set -euo pipefail

start=$SECONDS
cd "$(dirname "$0")/.."
root=$PWD

say() { echo "check-windows: $*"; }

tmp=$(mktemp -d)
xvfb_pid=""
game_pid=""
cleanup() {
    [[ -n "$game_pid" ]] && kill "$game_pid" 2>/dev/null
    [[ -n "${WINEPREFIX:-}" && -d "${WINEPREFIX:-}" ]] && wineserver -k 2>/dev/null
    [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT

fail() {
    echo "check-windows: FAIL: $*" >&2
    for f in "$tmp"/game.err "$tmp"/check.out "$tmp"/xvfb.err; do
        [[ -s "$f" ]] && { echo "--- $(basename "$f"):" >&2; tail -n 30 "$f" >&2; }
    done
    exit 1
}

# --- packages -----------------------------------------------------------------

scripts/install-deps.sh
packages=(g++-mingw-w64-x86-64 mingw-w64-x86-64-dev wine wine64 xvfb xdotool x11-apps)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [[ ${#missing[@]} -gt 0 ]]; then
    sudo=()
    if [[ $(id -u) -ne 0 ]]; then
        command -v sudo >/dev/null || fail "need root (or sudo) to install: ${missing[*]}"
        sudo=(sudo)
    fi
    say "installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update
    "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi

# --- builds -------------------------------------------------------------------

# The art and the screenshot checker come from the Linux build.
cmake --preset default >/dev/null
cmake --build --preset default --target assets qorb_screen_check
assets=$root/build/default/assets
checker=$root/build/default/tests/e2e/qorb_screen_check
[[ -s "$assets/TITLES.DAT" && -x "$checker" ]] || fail "the Linux build made no TITLES.DAT or qorb_screen_check"

cmake --preset windows >/dev/null
cmake --build --preset windows
for packing in 565 555; do
    [[ -s "build/windows/game$packing.exe" ]] || fail "build/windows/game$packing.exe was not built"
done

# --- the picture game555 shows ------------------------------------------------

# Wine's 16-bit mode is laid out 5-6-5. game555 packs 5-5-5 there as on any
# display reporting 16 bits, so its colours come out shifted: expect exactly
# that shift, so that a wrong packing in either game is caught.
perl -e '
    local $/; open(my $in, "<:raw", $ARGV[0]) or die "$ARGV[0]: $!\n"; my $d = <$in>;
    my ($offset, $w, $h, $bits) = (unpack("V", substr($d, 10, 4)), unpack("V", substr($d, 18, 4)),
                                   unpack("l<", substr($d, 22, 4)), unpack("v", substr($d, 28, 2)));
    die "$ARGV[0]: not a 24-bit picture\n" unless $bits == 24;
    my $stride = ($w * 3 + 3) & ~3;
    for my $row (0 .. abs($h) - 1) {
        my $at = $offset + $row * $stride;
        my @p = unpack("C*", substr($d, $at, $w * 3));
        for (my $i = 0; $i < @p; $i += 3) {
            my $word = ($p[$i + 2] >> 3) << 10 | ($p[$i + 1] >> 3) << 5 | $p[$i] >> 3;
            my ($r, $g, $b) = ($word >> 11, ($word >> 5) & 63, $word & 31);
            @p[$i, $i + 1, $i + 2] = ($b << 3 | $b >> 2, $g << 2 | $g >> 4, $r << 3 | $r >> 2);
        }
        substr($d, $at, $w * 3) = pack("C*", @p);
    }
    open(my $out, ">:raw", $ARGV[1]) or die "$ARGV[1]: $!\n"; print $out $d;
' "$assets/TITLES.DAT" "$tmp/titles555.bmp" || fail "could not make the picture game555 shows"

# --- Wine and Xvfb ------------------------------------------------------------

export WINEPREFIX=$tmp/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# The null ALSA device stands in for a sound card; a home of our own keeps
# the user's ~/.asoundrc and Wine settings out of it.
export HOME=$tmp/home XDG_RUNTIME_DIR=$tmp/runtime
mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' >"$HOME/.asoundrc"

# SetDisplayMode(800, 600, 16) needs a screen that offers 800 x 600.
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.err" &
xvfb_pid=$!
for _ in $(seq 100); do
    [[ -s "$tmp/display" ]] && break
    kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb did not start"
    sleep 0.1
done
[[ -s "$tmp/display" ]] || fail "Xvfb gave no display number"
export DISPLAY=":$(head -n1 "$tmp/display")"

prefix_start=$SECONDS
timeout 120 wineboot --init >"$tmp/wineboot.log" 2>&1 || fail "making the Wine prefix failed: $(tail -n 5 "$tmp/wineboot.log")"
timeout 60 wineserver -w || true
say "Wine prefix made in $((SECONDS - prefix_start)) s"

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

run_game() {
    local packing=$1 expected=$2
    local exe=$root/build/windows/game$packing.exe
    say "game$packing.exe: starting"
    (cd "$assets" && exec wine "$exe") >"$tmp/game.out" 2>"$tmp/game.err" &
    game_pid=$!

    # Polls the screen until the whole title shows; the zoom takes about 2 s
    # after a start of a few seconds.
    local deadline=$((SECONDS + 60)) matched=0
    while ((SECONDS < deadline)); do
        kill -0 "$game_pid" 2>/dev/null || fail "game$packing.exe ended before its title showed"
        if xwd -silent -root >"$tmp/shot.xwd" 2>/dev/null &&
            "$checker" "$tmp/shot.xwd" "$expected" "$tmp/shot$packing.ppm" >"$tmp/check.out" 2>&1; then
            matched=1
            break
        fi
        sleep 0.5
    done
    ((matched)) || fail "game$packing.exe: the title did not fill the screen within 60 s ($(cat "$tmp/check.out"))"
    say "game$packing.exe: title on screen: $(cat "$tmp/check.out")"

    # The game samples the key once a step: hold it. A press it missed is
    # held again, a few times at most.
    local tries=0
    while kill -0 "$game_pid" 2>/dev/null && ((tries < 5)); do
        xdotool keydown Escape
        sleep 0.3
        xdotool keyup Escape
        tries=$((tries + 1))
        wait_for_exit 5 && break
    done
    [[ -z "$game_pid" ]] || wait_for_exit 10 || fail "game$packing.exe did not end after Escape was held $tries times"
    ((status == 0)) || fail "game$packing.exe ended with status $status"
    # The null device must carry the sound: a silent fallback here means the
    # DirectSound path broke.
    ! grep -q "without sound" "$tmp/game.err" || fail "game$packing.exe played without sound"
    say "game$packing.exe: ended on Escape with status 0, sound through DirectSound"
}

run_game 565 "$assets/TITLES.DAT"
run_game 555 "$tmp/titles555.bmp"

size565=$(stat -c %s build/windows/game565.exe)
size555=$(stat -c %s build/windows/game555.exe)
say "OK in $((SECONDS - start)) s; game565.exe $size565 bytes, game555.exe $size555 bytes"
