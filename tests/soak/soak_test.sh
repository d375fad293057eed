#!/usr/bin/env bash
# The bot plays STEPS calls; memory must not grow between a quarter of the
# run and the whole of it. Under the sanitizers any report fails the run.
# Usage: soak_test.sh SIM STEPS
set -euo pipefail
sim="$1" steps="$2"
# A small quarantine, so that the sanitizer's own memory levels off early.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:quarantine_size_mb=8:halt_on_error=1"
peak() { sed -n 's/.*peak memory \([0-9]*\) KiB.*/\1/p'; }
quarter=$("$sim" --bot --seed 7 --steps $((steps / 4)) | peak)
whole=$("$sim" --bot --seed 7 --steps "$steps" | tee /dev/stderr | peak)
echo "peak memory: $quarter KiB after $((steps / 4)) calls, $whole KiB after $steps"
if (( whole > quarter + 4096 )); then
  echo "memory grew by $((whole - quarter)) KiB"
  exit 1
fi
