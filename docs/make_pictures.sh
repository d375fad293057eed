#!/usr/bin/env bash
# Makes the README's pictures from qorb-sim runs of the bot (seed 5).
# Needs ImageMagick (apt-get install imagemagick) for the animation.
# Usage: docs/make_pictures.sh [path/to/qorb-sim]
set -euo pipefail
cd "$(dirname "$0")"
sim="$(realpath "${1:-../build/default/tools/qorbsim/qorb-sim}")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The first game's end, to catch the game-over picture while its music
# plays (the run stops as the call that showed it returns).
end_s=$("$sim" --bot --seed 5 --games 1 | sed -n 's/.*, \([0-9.]*\) virtual s.*/\1/p')
end_ms=$(awk -v s="$end_s" 'BEGIN { printf "%d", s * 1000 }')

"$sim" --bot --seed 5 --games 1 \
  --shot-time 3600:title.png \
  --shot-time 4850:intro.png \
  --shot 105:round1.png \
  --shot 9449:lasers.png \
  --shot-time $((end_ms - 2550)):game_over.png > /dev/null

# A few seconds of play: every second frame of calls 400 to 640, at half size.
"$sim" --bot --seed 5 --steps 640 --shot-every 2:"$work/frames" > /dev/null
frames=()
for n in $(seq 400 2 640); do frames+=("$work/frames/shot-$(printf %08d "$n").png"); done
convert -delay 3 -loop 0 "${frames[@]}" -resize 50% -layers Optimize play.gif
ls -l title.png intro.png round1.png lasers.png game_over.png play.gif
