#!/usr/bin/env bash
# Records the golden runs again. Run it only after a change that is meant to
# alter the game's behaviour, and read the diff of the traces first.
# Usage: tests/golden/update.sh build/default/tools/qorbsim/qorb-sim
set -euo pipefail
sim="$(realpath "$1")"
cd "$(dirname "$0")"
# runs.txt: name, seed, stop, its count, and who made the script: the bot
# (recorded again here) or a hand (kept as written).
grep -v '^#' runs.txt | while read -r name seed stop count madeBy; do
  [[ -n "$name" ]] || continue
  if [[ "$madeBy" == bot ]]; then
    "$sim" --bot --seed "$seed" $stop $count --record "$name.script" > /dev/null
  fi
  "$sim" --script "$name.script" --seed "$seed" $stop $count --trace "$name.trace.jsonl" > /dev/null
  gzip -9 -n -f "$name.trace.jsonl"
  echo "recorded $name: $(gzip -dc "$name.trace.jsonl.gz" | wc -l) calls"
done
