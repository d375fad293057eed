#!/usr/bin/env bash
# A bot's run, recorded, replays to the identical trace; bad input exits 2.
set -euo pipefail
sim="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$sim" --bot --seed 1234 --steps 4000 --record "$work/run.txt" --trace "$work/first.jsonl" > "$work/first.out"
"$sim" --script "$work/run.txt" --seed 1234 --steps 4000 --trace "$work/again.jsonl" > "$work/again.out"
lines=$(wc -l < "$work/first.jsonl")
[[ "$lines" -eq 4000 ]] || { echo "expected 4000 trace lines, got $lines"; exit 1; }
if ! cmp -s "$work/first.jsonl" "$work/again.jsonl"; then
  echo "the replay differs from the recorded run:"
  diff "$work/first.jsonl" "$work/again.jsonl" | head -5
  exit 1
fi

printf '0 key enter down\n10 key space down\n' > "$work/bad.txt"
set +e
"$sim" --script "$work/bad.txt" --steps 10 2> "$work/err.txt"
status=$?
set -e
[[ $status -eq 2 ]] || { echo "a bad script should exit 2, got $status"; exit 1; }
grep -q "bad.txt:2: unknown key" "$work/err.txt" || { echo "no line number in: $(cat "$work/err.txt")"; exit 1; }
echo "replay identical over $lines calls"
