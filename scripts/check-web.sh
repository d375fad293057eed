#!/usr/bin/env bash
# Builds Qorb for WebAssembly with the `web` preset and checks it: the golden
# runs and a long bot run under node must give the native traces call for
# call, and the generated art and voices must match the native ones; then a
# game in headless Chromium with the mouse and keys, one by touch alone at a
# phone's size, online and offline, and the page's sharp scaling read back
# from its screen; and the whole game in Firefox ESR and in WebKitGTK with
# real input.
# Installs what it needs (Debian packages and tests/web's npm packages, only
# those missing).
set -euo pipefail
start=$SECONDS
cd "$(dirname "$0")/.."

scripts/install-deps.sh --web
# The native build is what the WebAssembly one is compared with.
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target qorb-sim assets qorb_screen_check
cmake --preset web >/dev/null
cmake --build --preset web -j "$(nproc)"
ctest --preset web
echo "check-web: OK in $((SECONDS - start)) s"
