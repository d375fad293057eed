#!/usr/bin/env bash
# What a qorb-sim run leaves and when it stops, in a few seconds: a
# screenshot the run never reached fails it, naming the file, while one at
# the very last call or moment is taken; a game that cannot set up leaves no
# trace, record or picture; --until stops at the first moment at or past its
# time, and an event at that very moment is in the record, which replays to
# the same trace. Every check runs; each failure is named.
# Usage: qorbsim_outputs_test.sh SIM
set -uo pipefail
sim="$(realpath "$1")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
cd "$work" || exit 1

# Shots the run never reaches: status 1 and each named; the one it reaches is written.
"$sim" --bot --steps 100 --shot 50:reached.png --shot 500:call.png --shot-time 99999:time.png \
  > /dev/null 2> never.err
status=$?
[[ $status -eq 1 ]] || fail "shots never reached: status $status"
grep -q "call.png was not taken.*before call 500" never.err || fail "the shot at call 500 is not named: $(cat never.err)"
grep -q "time.png was not taken.*before 99999 ms" never.err || fail "the shot at 99999 ms is not named: $(cat never.err)"
[[ -s reached.png && ! -e call.png && ! -e time.png ]] || fail "shots never reached: $(ls)"

# The last call's shot and the stop moment's shot are reached.
"$sim" --bot --steps 100 --shot 100:last.png > /dev/null 2> last.err
status=$?
[[ $status -eq 0 && -s last.png ]] || fail "a shot at the last call: status $status, $(head -1 last.err)"
"$sim" --bot --until 5000 --shot-time 5000:stop.png > /dev/null 2> stop.err
status=$?
[[ $status -eq 0 && -s stop.png ]] || fail "a shot at the --until moment: status $status, $(head -1 stop.err)"

# A game that cannot set up (no art) leaves nothing that looks like a result.
mkdir empty
"$sim" --assets empty --bot --steps 10 --trace setup.jsonl --record setup.rec --shot 1:setup.png \
  > /dev/null 2> setup.err
status=$?
[[ $status -ne 0 ]] || fail "set-up without art: status 0"
grep -q "ELEMENTS.DAT" setup.err || fail "set-up without art says: $(head -1 setup.err)"
for f in setup.jsonl setup.rec setup.png; do [[ ! -e $f ]] || fail "set-up without art left $f"; done
# Nor does an art folder that is not there.
"$sim" --assets "$work/missing" --bot --trace missing.jsonl > /dev/null 2>&1
status=$?
[[ $status -eq 2 && ! -e missing.jsonl ]] || fail "a missing art folder: status $status, $(ls)"

# The bot plays at sixty pictures a second, so virtual time passes 20 s on
# the dot: the run stops there, and an event scheduled for that moment is in
# the record; one a millisecond later is not.
printf '20000 mouse 0 0\n20001 mouse 0 0\n' > at-stop.txt
"$sim" --bot --seed 1 --until 20000 --script at-stop.txt --trace until.jsonl --record until.rec > until.out 2>&1
status=$?
[[ $status -eq 0 ]] && grep -q " 20.000 virtual s" until.out || fail "--until 20000: status $status, $(tail -1 until.out)"
grep -qx "20000 mouse 0 0" until.rec || fail "--until 20000: the event at the stop is not in the record"
last=$(grep -v '^#' until.rec | tail -n 1 | cut -d ' ' -f 1)
[[ "$last" == 20000 ]] || fail "--until 20000: the record's last event is at ${last:-nothing} ms"
"$sim" --script until.rec --seed 1 --until 20000 --trace again.jsonl > /dev/null 2>&1
cmp -s until.jsonl again.jsonl || fail "--until 20000: the record does not replay to the trace"

[[ $failures -eq 0 ]] || exit 1
echo "qorb-sim outputs: all checks passed"
