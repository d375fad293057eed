#!/usr/bin/env bash
# Mutation testing: applies each one-line fault of scripts/mutations.txt, one
# at a time, to a scratch copy of the tree (never to these sources, so a run
# that is killed leaves nothing behind), rebuilds, runs the fast tests (the
# unit tests of the game, the back ends and qorb-sim, qorb-sim's quick run
# checks and the golden replays) and says which tests caught it. Ends with
# the faults no test caught and the share caught.
#
# Usage: scripts/mutate.sh [--check] [PATTERN]
#   PATTERN  only the faults whose line contains it (grep -F)
#   --check  only verify that every fault applies to the sources
# The scratch copy and its build stay in $QORB_MUTATE_DIR (default
# ${TMPDIR:-/tmp}/qorb-mutate) for the next run; the first run builds it all.
# Build width: $QORB_MUTATE_JOBS (default 2). Slow: about half a minute a fault.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
list="$repo/scripts/mutations.txt"
scratch="${QORB_MUTATE_DIR:-${TMPDIR:-/tmp}/qorb-mutate}"
jobs="${QORB_MUTATE_JOBS:-2}"
check=""
if [[ "${1:-}" == "--check" ]]; then check=yes; shift; fi
pattern="${1:-}"

# apply ROOT LINE: applies one fault under ROOT; restore ROOT LINE: puts the
# file back from the sources; sync ROOT: copies every tracked file that
# differs (a fault a killed run left behind included), with a new time so
# that the build sees it.
fault() {
  python3 - "$repo" "$@" <<'PY'
import filecmp, os, shutil, subprocess, sys
repo, action, root = sys.argv[1], sys.argv[2], sys.argv[3]
if action == "sync":
    files = subprocess.run(["git", "-C", repo, "ls-files", "-co", "--exclude-standard"], capture_output=True,
                           text=True, check=True).stdout.split("\n")
    for f in filter(None, files):
        src, dst = os.path.join(repo, f), os.path.join(root, f)
        if not os.path.isfile(src) or (os.path.isfile(dst) and filecmp.cmp(src, dst, shallow=False)):
            continue
        os.makedirs(os.path.dirname(dst), exist_ok=True)
        shutil.copy(src, dst)
    sys.exit(0)
line = sys.argv[4]
path, n, rest = line.split(":", 2)
old, _, new = rest[1:].partition(" =>")
old, new = old.replace("\\n", "\n"), new[1:].replace("\\n", "\n") if new.startswith(" ") else new
target = os.path.join(root, path)
if action == "restore":
    shutil.copy(os.path.join(repo, path), target)
    sys.exit(0)
text = open(os.path.join(repo, path)).read()
at = -1
for _ in range(int(n)):
    at = text.find(old, at + 1)
    if at < 0:
        sys.exit(f"mutate: not found: {line}")
if action == "apply":
    open(target, "w").write(text[:at] + new + text[at + len(old):])
PY
}

mapfile -t faults < <(grep -v '^#' "$list" | grep -v '^[[:space:]]*$' | grep -F -- "$pattern" || true)
[[ ${#faults[@]} -gt 0 ]] || { echo "mutate: no faults match '$pattern'" >&2; exit 2; }
if [[ -n "$check" ]]; then
  for f in "${faults[@]}"; do fault check "$repo" "$f"; done
  echo "mutate: all ${#faults[@]} faults apply"
  exit 0
fi

mkdir -p "$scratch/src"
fault sync "$scratch/src"
build="$scratch/build"
if [[ ! -f "$build/build.ninja" ]]; then
  cmake -S "$scratch/src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQORB_BENCH=OFF > "$scratch/configure.log"
fi
# The unit tests of the game and the back ends, and qorb-sim's own.
units=(tests/qorb_tests tests/platform/web/qorb_web_backend_tests tests/platform/sdl/qorb_sdl_tests
       tests/tools/qorbsim_tests)
targets=(qorb-sim assets "${units[@]##*/}")
tests() {  # prints the names of the failing tests, or "(none)"; a hang counts as caught
  local failed
  failed=$( (cd "$build"
             for unit in "${units[@]}"; do
               SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout 120 "$unit" --gtest_brief=1 > "$scratch/unit.log" 2>&1 ||
                 [[ $? -ne 124 ]] || echo "(${unit##*/} hangs)"
               sed -n 's/^\[  FAILED  \] \([^ ,]*\).*/\1/p' "$scratch/unit.log"
             done
             timeout 120 "$scratch/src/tests/tools/qorbsim_outputs_test.sh" tools/qorbsim/qorb-sim > /dev/null 2>&1 ||
               echo "QorbSim.OwesItsShotsAndStopsOnTheMoment"
             grep -v '^#' "$scratch/src/tests/golden/runs.txt" | while read -r name seed stop count _; do
               [[ -n "$name" ]] || continue
               timeout 120 "$scratch/src/tests/golden/golden_test.sh" "$build/tools/qorbsim/qorb-sim" "$name" "$seed" "$stop" \
                 "$count" > /dev/null 2>&1 || echo "Golden.$name"
             done) | sort -u)
  echo "${failed:-(none)}"
}
echo "mutate: building the scratch copy in $scratch"
nice cmake --build "$build" -j "$jobs" --target "${targets[@]}" > "$scratch/build.log" || { echo "mutate: the unmutated tree does not build" >&2; exit 1; }
[[ "$(tests)" == "(none)" ]] || { echo "mutate: the unmutated tree fails its tests" >&2; exit 1; }

caught=0 survived=() stillborn=0 n=0
for f in "${faults[@]}"; do
  n=$((n + 1))
  file="${f%%:*}"
  fault apply "$scratch/src" "$f"
  if ! nice cmake --build "$build" -j "$jobs" --target "${targets[@]}" > "$scratch/build.log" 2>&1; then
    result="does not build"
    stillborn=$((stillborn + 1))
  else
    result="$(tests | paste -sd ' ')"
    if [[ "$result" == "(none)" ]]; then survived+=("$f"); else caught=$((caught + 1)); fi
  fi
  fault restore "$scratch/src" "$f"
  printf '%2d. %s\n    caught by: %s\n' "$n" "$f" "$result"
done
# The sources back as they are, so that the next run starts from them.
nice cmake --build "$build" -j "$jobs" --target "${targets[@]}" > "$scratch/build.log" 2>&1 || true

built=$((n - stillborn))
echo
echo "mutate: ${#survived[@]} of $built faults survived every test:"
for f in "${survived[@]}"; do echo "  $f"; done
[[ $stillborn -eq 0 ]] || echo "mutate: $stillborn faults did not build (left out of the share)"
echo "mutate: caught $caught of $built ($((built > 0 ? 100 * caught / built : 0))%)"
