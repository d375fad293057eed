#!/usr/bin/env bash
# Replays a recorded run and compares its trace, call by call, with the one
# kept beside it. Usage: golden_test.sh SIM NAME SEED STOP COUNT
set -euo pipefail
sim="$1" name="$2" seed="$3" stop="$4" count="$5"
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$sim" --script "$here/$name.script" --seed "$seed" "$stop" "$count" --trace "$work/trace.jsonl" > /dev/null
gzip -dc "$here/$name.trace.jsonl.gz" > "$work/expected.jsonl"
if ! cmp -s "$work/expected.jsonl" "$work/trace.jsonl"; then
  echo "$name: the game no longer plays as recorded; first differences (expected, then actual):"
  diff "$work/expected.jsonl" "$work/trace.jsonl" | head -6 | cut -c1-600
  echo "If the change is meant, record again with tests/golden/update.sh and review the diff."
  exit 1
fi
echo "$name: $(wc -l < "$work/trace.jsonl") calls as recorded"
