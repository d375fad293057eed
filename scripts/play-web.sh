#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds Qorb for the browser and serves it on
# 127.0.0.1; open the printed address in a browser. Ctrl-C stops the server.
# Usage: scripts/play-web.sh [--lan] [PORT]   (default 8080; 0 picks a free
#        one; --lan: on the machine's network addresses too, for a phone)
set -euo pipefail
cd "$(dirname "$0")/.."
lan=()
if [[ ${1:-} == --lan ]]; then
  lan=(--lan)
  shift
fi
port="${1:-8080}"
[[ "$port" =~ ^[0-9]+$ ]] || { echo "play-web: the port must be a number" >&2; exit 2; }

scripts/install-deps.sh --web
cmake --preset web
cmake --build --preset web -j "$(nproc)"
site=build/web/site

raw=0 packed=0
for f in "$site/index.html" "$site/page.js" "$site/touch.js" "$site/qorb.js" "$site/qorb.wasm"; do
  raw=$((raw + $(stat -c %s "$f")))
  packed=$((packed + $(gzip -9 -c "$f" | wc -c)))
done
echo "play-web: the download weighs $((raw / 1024)) KiB ($((packed / 1024)) KiB compressed); the art and sounds are made in the tab"
exec node tests/web/serve.js "${lan[@]}" "$site" "$port"
