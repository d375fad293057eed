#!/usr/bin/env bash
# qorb-sim at its edges: it ends by itself when a script has run out (counted
# from when the game waits), at a virtual time, or on SIGTERM, with a record
# of only what the game took; output it cannot write ends the run with status
# 1; a folder is no script; --round and "mouse fail" reach what the bot
# cannot. Every check runs; each failure is named. Usage: qorbsim_edges_test.sh SIM
set -uo pipefail
sim="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A game started, served, and abandoned with F5 (held, so that no blocking
# screen can hide it) long before --steps is reached.
cat > "$work/f5.txt" <<'SCRIPT'
3500 key enter down
3650 key enter up
5000 key enter down
5150 key enter up
9000 button down
9100 button up
9300 mouse fail
9600 key f5 down
12000 key f5 up
SCRIPT

# --help is not an error.
"$sim" --help > "$work/help.out" 2>&1
status=$?
[[ $status -eq 0 ]] && grep -q -- "--until MS" "$work/help.out" || fail "--help: status $status, $(head -1 "$work/help.out")"

# The script runs out on the title screen: status 3 with a reason, not a run that never ends.
grep -v "mouse fail" "$work/f5.txt" > "$work/f5-only.txt"
timeout 60 "$sim" --script "$work/f5-only.txt" --steps 400 > "$work/f5.out" 2> "$work/f5.err"
status=$?
if [[ $status -ne 3 ]] || ! grep -q "script has run out.*title screen" "$work/f5.err"; then
  fail "an exhausted script: status $status (124: killed after 60 s), $(head -1 "$work/f5.err")"
fi

# A script that runs out during the intro: the wait is counted from the first
# play step that waits for the serve, not from the last event.
printf '3500 key enter down\n3650 key enter up\n' > "$work/intro.txt"
timeout 120 "$sim" --script "$work/intro.txt" --trace "$work/intro.jsonl" > /dev/null 2> "$work/intro.err"
status=$?
first_step=$(grep -m1 '"Mouse":{' "$work/intro.jsonl" 2>/dev/null | sed -n 's/^{"call":[0-9]*,"t":\([0-9]*\),.*/\1/p')
since=$(sed -n 's/.*waited for input (to serve) since \([0-9]*\) ms.*/\1/p' "$work/intro.err")
stopped=$(sed -n 's/.*stopped 60 s later, at \([0-9]*\) ms.*/\1/p' "$work/intro.err")
if [[ $status -ne 3 || -z "$first_step" || "$since" != "$first_step" || -z "$stopped" ]] ||
   ((stopped - since < 60000 || stopped - since > 60100)); then
  fail "a script that ran out in the intro: status $status, first step at ${first_step:-?} ms, $(head -1 "$work/intro.err")"
fi

# --until ends a run at a virtual time, whatever the game waits in.
"$sim" --script "$work/f5.txt" --until 20000 --trace "$work/f5.jsonl" > "$work/until.out" 2>&1
status=$?
[[ $status -eq 0 ]] && grep -q " 20.0[0-9][0-9] virtual s" "$work/until.out" ||
  fail "--until 20000: status $status, $(tail -1 "$work/until.out")"
# The failed read is traced once, and play goes on after it.
failed=$(grep -c '"Mouse":"failed"' "$work/f5.jsonl" 2>/dev/null)
read_after=$(sed -n '/"Mouse":"failed"/,$p' "$work/f5.jsonl" 2>/dev/null | grep -c '"Mouse":{')
[[ "$failed" == 1 && "$read_after" -gt 10 ]] || fail "mouse fail: $failed failed reads, $read_after reads after"

# The record holds only what the game took before --until, and replays to the same trace.
{ cat "$work/f5.txt"; echo "30000 key escape down"; } > "$work/late.txt"
"$sim" --script "$work/late.txt" --until 20000 --trace "$work/late.jsonl" --record "$work/late.rec" > /dev/null 2>&1
last=$(grep -v '^#' "$work/late.rec" 2>/dev/null | tail -n 1 | cut -d ' ' -f 1)
if [[ -z "$last" ]] || ((last > 20000)); then
  fail "--until 20000 --record: the record's last event is at ${last:-nothing} ms"
else
  "$sim" --script "$work/late.rec" --until 20000 --trace "$work/late-again.jsonl" > /dev/null 2>&1
  cmp -s "$work/late.jsonl" "$work/late-again.jsonl" || fail "--until 20000: the record does not replay to the trace"
fi

# A trace, record or screenshot that cannot be written ends the run with
# status 1 and a message naming the file, even when it fails only as it closes.
if [[ -w /dev/full ]]; then
  for output in "--trace /dev/full" "--record /dev/full" "--shot 5:/dev/full" "--shot-time 9000:/dev/full"; do
    # shellcheck disable=SC2086
    "$sim" --bot --steps 300 $output > /dev/null 2> "$work/full.err"
    status=$?
    [[ $status -eq 1 ]] && grep -q "/dev/full" "$work/full.err" ||
      fail "$output: status $status, $(head -1 "$work/full.err")"
  done
fi

# A folder given as the script is refused as a bad script is.
"$sim" --script "$work" --steps 10 > /dev/null 2> "$work/folder.err"
status=$?
[[ $status -eq 2 ]] && grep -q "^qorb-sim: $work: " "$work/folder.err" ||
  fail "--script with a folder: status $status, $(head -1 "$work/folder.err")"

# SIGTERM: the trace holds whole lines, and the record replays to the same trace.
"$sim" --bot --seed 7 --trace "$work/killed.jsonl" --record "$work/killed.txt" > /dev/null 2> "$work/killed.err" &
pid=$!
for _ in $(seq 600); do
  [[ $(wc -l 2>/dev/null < "$work/killed.jsonl" || echo 0) -gt 3000 ]] && break
  sleep 0.1
done
kill -TERM "$pid"
wait "$pid"
status=$?
calls=$(wc -l 2>/dev/null < "$work/killed.jsonl" || echo 0)
if [[ $status -ne 143 ]] || ! grep -q "stopped by SIGTERM" "$work/killed.err" || [[ ! -s "$work/killed.txt" ]]; then
  fail "SIGTERM: status $status, record $(wc -l 2>/dev/null < "$work/killed.txt" || echo missing) lines, $(head -1 "$work/killed.err")"
elif [[ "$(tail -c 1 "$work/killed.jsonl")" != "" || "$(tail -n 1 "$work/killed.jsonl" | tail -c 2)" != "}" ]]; then
  fail "SIGTERM: the trace ends in a broken line"
else
  "$sim" --script "$work/killed.txt" --seed 7 --steps "$calls" --trace "$work/replayed.jsonl" > /dev/null
  cmp -s "$work/killed.jsonl" "$work/replayed.jsonl" || fail "SIGTERM: the record does not replay to the trace"
  stopped=$(sed -n 's/.*stopped by SIGTERM at \([0-9]*\) ms.*/\1/p' "$work/killed.err")
  last=$(tail -n 1 "$work/killed.txt" | cut -d ' ' -f 1)
  [[ -n "$stopped" ]] && ((last <= stopped)) || fail "SIGTERM at ${stopped:-?} ms: the record goes on to $last ms"
fi

# Rounds 13 to 25, past where the bot gets: each is built, announced, shown and played.
for round in $(seq 13 25); do
  "$sim" --bot --seed "$round" --round "$round" --steps 3000 --trace "$work/r.jsonl" > /dev/null 2> "$work/r.err"
  status=$?
  first=$(head -n 1 "$work/r.jsonl" 2>/dev/null)
  lower=$(grep -c "\"RoundNumber\":\([0-9]\|1[0-2]\)," "$work/r.jsonl" 2>/dev/null)
  broken=$(grep -c '"BrickBroken":1' "$work/r.jsonl" 2>/dev/null)
  if [[ $status -ne 0 || "$first" != *"\"RoundNumber\":$round,"* || "$first" != *"\"ForcedRound\":$round,"* ||
        "$first" == *'"Bricks":[]'* || "$lower" != 0 || "$broken" -lt 1 ]]; then
    fail "--round $round: status $status, $lower calls below it, $broken bricks broken, $(head -c 200 "$work/r.err")"
  fi
done
# Without --round the trace has no such field.
"$sim" --script "$work/f5.txt" --steps 100 --trace "$work/plain.jsonl" > /dev/null 2>&1
grep -q ForcedRound "$work/plain.jsonl" && fail "ForcedRound is traced without --round"

[[ $failures -eq 0 ]] || exit 1
echo "qorb-sim edges: all checks passed"
