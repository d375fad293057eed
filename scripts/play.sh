#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds Qorb and its generated art and
# sounds, and starts the game from its asset folder.
# Usage: scripts/play.sh [565|555]   (default 565)
set -euo pipefail
cd "$(dirname "$0")/.."
packing="${1:-565}"
case "$packing" in 565|555) ;; *) echo "play: packing must be 565 or 555" >&2; exit 2 ;; esac

scripts/install-deps.sh
cmake --preset default
cmake --build --preset default -j "$(nproc)"
cd build/default/assets
exec ../game"$packing"
