#!/usr/bin/env bash
# Runs Debian's checker on a package and fails on anything it reports: an
# error, a warning, or any other line at its default level.
# Usage: packaging/lintian.sh PACKAGE.deb
set -uo pipefail
deb=${1:?usage: lintian.sh PACKAGE.deb}
command -v lintian >/dev/null || { echo "lintian is missing; scripts/install-deps.sh installs it" >&2; exit 1; }
args=(--fail-on error,warning)
# As root (a container, CI), lintian wants to be told that this is meant.
[[ $(id -u) -ne 0 ]] || args+=(--allow-root)
out=$(lintian "${args[@]}" "$deb" 2>&1)
status=$?
echo "lintian $(lintian --print-version) on $(basename "$deb"): ${out:-nothing to report}"
[[ $status -eq 0 && -z "$out" ]]
