#!/usr/bin/env bash
# Runs browser_test.js (or, with --touch, touch_test.js) against a built site
# with Debian's Chromium.
# Usage: browser_test.sh SITE_DIR MODULE NATIVE_BUILD_DIR [--touch CMAKE [touch_test.js options...] | browser_test.js options...]
# (--figures --native-game NATIVE_BUILD_DIR/game565 measures instead)
# Exit status 77 (skipped) when Chromium, the npm driver or the native build
# (its pictures and screen checker) is missing: scripts/install-deps.sh --web
# and the default preset bring them.
set -euo pipefail
site=$1 module=$2 native=$3
shift 3
here=$(cd "$(dirname "$0")" && pwd)
checker=$native/tests/e2e/qorb_screen_check
for need in /usr/bin/chromium "$here/node_modules/playwright-core/package.json" "$checker" "$native/assets/TITLES.DAT" \
            "$site/$module.js"; do
  [[ -e "$need" ]] || { echo "skipped: $need is missing"; exit 77; }
done
if [[ ${1:-} == --touch ]]; then
  cmake_path=$2
  shift 2
  exec node "$here/touch_test.js" --site "$site" --assets "$native/assets" --checker "$checker" --cmake "$cmake_path" "$@"
fi
exec node "$here/browser_test.js" --site "$site" --module "$module" --assets "$native/assets" --checker "$checker" "$@"
