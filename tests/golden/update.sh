#!/usr/bin/env bash
# Records the golden runs again. Run it only after a change that is meant to
# alter the game's behaviour, and read the diff of the traces first.
# Usage: tests/golden/update.sh build/default/tools/qorbsim/qorb-sim
set -euo pipefail
sim="$(realpath "$1")"
cd "$(dirname "$0")"
# name  seed  stop
runs=(
  "clear_round1 5 --steps 2200"
  "all_capsules 5 --steps 17300"
  "pause_and_f5 0 --games 1"
)
for run in "${runs[@]}"; do
  read -r name seed stop count <<< "$run"
  if [[ "$name" != pause_and_f5 ]]; then
    "$sim" --bot --seed "$seed" $stop $count --record "$name.script" > /dev/null
  fi
  "$sim" --script "$name.script" --seed "$seed" $stop $count --trace "$name.trace.jsonl" > /dev/null
  gzip -9 -n -f "$name.trace.jsonl"
  echo "recorded $name: $(gzip -dc "$name.trace.jsonl.gz" | wc -l) calls"
done
