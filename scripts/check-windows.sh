#!/usr/bin/env bash
# Cross-builds game565.exe and game555.exe with mingw-w64, packs them with the
# art into the Windows zip, and runs them from the unpacked zip under Wine on
# an 800 x 600 Xvfb screen, their sound going to the null ALSA device at the
# pace of a real card: game565 plays a whole game (tests/e2e/play_steps.sh)
# and game555 shows its title; each must end on Escape with status 0 and
# must not have played silent. Installs what it needs (Debian packages, only
# those missing).
set -euo pipefail

start=$SECONDS
cd "$(dirname "$0")/.."
root=$PWD

say() { echo "check-windows: $*"; }

# The scratch folder, Xvfb, failing, holding keys and waiting for the game
# are the tests' in a real window; Wine's server goes with the game.
fail_prefix="check-windows: FAIL"
fail_logs=(game.err check.out xvfb.err)
hold_seconds=0.3  # the game samples the keys once a step: hold them
cleanup_more() { [[ -n "${WINEPREFIX:-}" && -d "${WINEPREFIX:-}" ]] && wineserver -k 2>/dev/null; }
source tests/e2e/e2e_lib.sh

# --- packages -----------------------------------------------------------------

scripts/install-deps.sh
packages=(g++-mingw-w64-x86-64 mingw-w64-x86-64-dev wine wine64 xvfb xdotool x11-apps icoutils)
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

# The art, the icon and the screenshot checker come from the Linux build.
cmake --preset default >/dev/null
cmake --build --preset default --target assets icons qorb_screen_check
built_assets=$root/build/default/assets
checker=$root/build/default/tests/e2e/qorb_screen_check
[[ -s "$built_assets/TITLES.DAT" && -x "$checker" ]] || fail "the Linux build made no TITLES.DAT or qorb_screen_check"

cmake --preset windows >/dev/null
cmake --build --preset windows --target package
zips=(build/windows/qorb-*-windows-x64.zip)
[[ ${#zips[@]} -eq 1 && -s "${zips[0]}" ]] || fail "the windows preset made no single zip: ${zips[*]}"
zip=$root/${zips[0]}

# --- the zip ------------------------------------------------------------------

# One folder holding the two programs, the read-me and the art as built.
mkdir "$tmp/unpacked"
(cd "$tmp/unpacked" && cmake -E tar xf "$zip") || fail "cannot unpack $zip"
folder=$tmp/unpacked/$(basename "$zip" .zip)
[[ "$(cd "$tmp/unpacked" && ls)" == "$(basename "$folder")" ]] || fail "the zip does not hold one folder"
[[ "$(cd "$folder" && LC_ALL=C ls)" == $'LICENSE.txt\nREADME.txt\nassets\ngame555.exe\ngame565.exe' ]] ||
    fail "the zip holds $(cd "$folder" && ls | tr '\n' ' ')"
diff <(tr -d '\r' <"$folder/LICENSE.txt") LICENSE >/dev/null || fail "the zip's LICENSE.txt is not LICENSE"
diff <(cd "$built_assets" && ls -- *.DAT *.GRA *.voc) <(cd "$folder/assets" && ls) >/dev/null ||
    fail "the zip's assets folder does not hold the built art and sounds"
for f in "$folder"/assets/*; do
    cmp -s "$f" "$built_assets/$(basename "$f")" || fail "$(basename "$f") in the zip differs from the build's"
done
assets=$folder/assets
say "$(basename "$zip"): $(stat -c %s "$zip") bytes"

# --- the programs' resources --------------------------------------------------

# Each carries the orb as its icon from 16 to 256 pixels, the project's
# version, and a manifest declaring per-monitor DPI awareness and the
# Windows versions it supports.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/windows/CMakeCache.txt)
[[ -n "$version" ]] || fail "no project version in build/windows/CMakeCache.txt"
value() { grep -a -A2 "$1\$" "$tmp/version.txt" | grep -a -qxF "$2"; }  # a version string's value
for packing in 565 555; do
    exe=$folder/game$packing.exe
    wrestool -x --type=14 "$exe" >"$tmp/icon.ico" 2>/dev/null && [[ -s "$tmp/icon.ico" ]] ||
        fail "game$packing.exe carries no icon"
    icons=$(icotool -l "$tmp/icon.ico")
    for size in 16 32 48 256; do
        grep -q -- "--width=$size --height=$size --bit-depth=32" <<<"$icons" ||
            fail "game$packing.exe's icon has no $size x $size picture: $icons"
    done
    # The version's strings are UTF-16, each ended by a NUL: one a line.
    wrestool -x --raw --type=16 "$exe" 2>/dev/null | iconv -c -f UTF-16LE -t UTF-8 | tr '\000' '\n' >"$tmp/version.txt"
    value ProductVersion "$version" && value FileVersion "$version" && value OriginalFilename "game$packing.exe" ||
        fail "game$packing.exe carries no version information for $version"
    wrestool -x --raw --type=24 "$exe" >"$tmp/manifest.xml" 2>/dev/null
    grep -q "<dpiAwareness[^>]*>PerMonitorV2" "$tmp/manifest.xml" &&
        (($(grep -c "<supportedOS " "$tmp/manifest.xml") >= 5)) ||
        fail "game$packing.exe carries no manifest declaring per-monitor DPI awareness and the Windows versions"
done
say "game565.exe and game555.exe carry their icon, version $version and manifest"

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
' "$built_assets/TITLES.DAT" "$tmp/titles555.bmp" || fail "could not make the picture game555 shows"

# --- Wine and Xvfb ------------------------------------------------------------

export WINEPREFIX=$tmp/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# The null ALSA device stands in for a sound card, behind ALSA's file plugin,
# which pipes the sound to a reader that takes it at the pace it plays and
# counts what is not silence. A home of our own keeps the user's ~/.asoundrc
# and Wine settings out of it.
export HOME=$tmp/home
mkdir -p "$HOME"
sound=$tmp/sound.count
printf 'pcm.!default { type file slave.pcm "null" file "| perl %s %s" format wav }\nctl.!default { type hw card 0 }\n' \
    "$root/tests/e2e/sound_sink.pl" "$sound" >"$HOME/.asoundrc"

# SetDisplayMode(800, 600, 16) needs a screen that offers 800 x 600.
start_xvfb 800x600

prefix_start=$SECONDS
timeout 120 wineboot --init >"$tmp/wineboot.log" 2>&1 || fail "making the Wine prefix failed: $(tail -n 5 "$tmp/wineboot.log")"
timeout 60 wineserver -w || true
say "Wine prefix made in $((SECONDS - prefix_start)) s"

# The game fills the screen. Screens a failed stage left go to the build folder.
keep_dir=$root/build/windows
shot() { xwd -silent -root >"$tmp/$1.xwd" 2>/dev/null || fail "no screenshot for $1"; }
source "$root/tests/e2e/play_steps.sh"

# Started as Explorer starts a program: in its own folder, which holds no
# art, so that it finds the assets folder beside it.
start_game() {
    rm -f "$sound"
    say "game$1.exe: starting"
    (cd "$folder" && exec wine "game$1.exe") >"$tmp/game.out" 2>"$tmp/game.err" &
    game_pid=$!
}

# The game must not have played silent: it warns when it does, and its
# sound must have reached the device.
check_sound() {
    ! grep -q "without sound" "$tmp/game.err" || fail "game$1.exe played without sound"
    [[ -s "$sound" ]] || fail "game$1.exe opened no sound device"
    local per_second bytes loud
    read -r per_second bytes loud <"$sound"
    ((bytes >= per_second && loud > 0)) ||
        fail "game$1.exe sent no sound: $bytes bytes, $loud of them not silence, at $per_second bytes a second"
    say "game$1.exe: $((bytes / per_second)) s of sound through DirectSound"
}

start_game 565
play_through
quit_with_escape
check_sound 565
say "game565.exe: played a whole game and ended on Escape with status 0"

# Its colours shifted as expected on this 5-6-5 screen.
start_game 555
assets=$tmp
await 60 "the whole title" title titles555.bmp
say "game555.exe: title on screen: $(cat "$tmp/check.out")"
quit_with_escape
check_sound 555
say "game555.exe: ended on Escape with status 0"

size565=$(stat -c %s "$folder/game565.exe")
size555=$(stat -c %s "$folder/game555.exe")
say "OK in $((SECONDS - start)) s; $(basename "$zip") $(stat -c %s "$zip") bytes," \
    "game565.exe $size565 bytes, game555.exe $size555 bytes"
