#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds Qorb (warnings are errors) and runs
# every test. Usage: scripts/test.sh [preset]   (default: default; also asan, debug)
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"

scripts/install-deps.sh
echo "test: configuring and building the '$preset' preset"
cmake --preset "$preset"
cmake --build --preset "$preset" -j "$(nproc)"
echo "test: running the tests"
ctest --preset "$preset" -j "$(nproc)"
