#!/usr/bin/env bash
# Fails when a C++ file of the repository is not as clang-format (Debian's)
# would write it, and names the files. `scripts/check-format.sh --fix`
# rewrites them instead.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [[ "${1:-}" == "--fix" ]]; then
  clang-format -i "${files[@]}"
  exit 0
fi
bad=()
for f in "${files[@]}"; do
  clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if [[ ${#bad[@]} -gt 0 ]]; then
  echo "check-format: not formatted (scripts/check-format.sh --fix rewrites them):" >&2
  printf '  %s\n' "${bad[@]}" >&2
  exit 1
fi
echo "check-format: ${#files[@]} files as clang-format $(clang-format --version | grep -o '[0-9][0-9.]*' | head -1) writes them."
