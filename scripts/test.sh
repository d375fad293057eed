#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds Qorb (warnings are errors) and runs
# every test. Usage: scripts/test.sh [preset]   (default: default; also asan, debug)
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"

scripts/install-deps.sh
echo "test: configuring, building and testing the '$preset' preset"
# The workflow preset holds the three steps; these say how wide to run them.
export CMAKE_BUILD_PARALLEL_LEVEL="$(nproc)" CTEST_PARALLEL_LEVEL="$(nproc)"
cmake --workflow --preset "$preset"
