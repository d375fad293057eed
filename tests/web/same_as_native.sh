#!/usr/bin/env bash
# The WebAssembly qorb-sim against a native build: the bot's long run, on the
# same art and voices, must give the very same trace call for call.
# Usage: same_as_native.sh WEB_SIM WEB_ASSETS NATIVE_BUILD_DIR
# Exit status 77 (skipped) when there is no native build to compare with.
set -euo pipefail
web_sim=$1 web_assets=$2 native=$3
native_sim=$native/tools/qorbsim/qorb-sim
if [[ ! -x "$native_sim" || ! -s "$native/assets/TITLES.DAT" ]]; then
  echo "no native build in $native: build the default preset first"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The bot reads the game's state, so one difference sends the two runs apart.
steps=40000
"$native_sim" --assets "$native/assets" --bot --seed 11 --steps $steps --trace "$work/native.jsonl" >"$work/native.out"
"$web_sim" --assets "$native/assets" --bot --seed 11 --steps $steps --trace "$work/web.jsonl" >"$work/web.out"
if ! cmp -s "$work/native.jsonl" "$work/web.jsonl"; then
  echo "the WebAssembly build plays differently from the native one; first differences (native, then web):"
  diff "$work/native.jsonl" "$work/web.jsonl" | head -6 | cut -c1-600
  exit 1
fi
echo "bot run: $(wc -l <"$work/web.jsonl") calls alike"

# The pictures must be the native ones byte for byte. A voice's 16-bit
# sample may be one apart where musl's sinf or expf rounds otherwise than
# glibc's, no more; every file has the native one's name and size.
node - "$native/assets" "$web_assets" <<'JS'
const fs = require('fs'), path = require('path');
const [nativeDir, webDir] = process.argv.slice(2);
let files = 0, differ = 0, failed = false;
for (const name of fs.readdirSync(nativeDir).sort()) {
  const a = fs.readFileSync(path.join(nativeDir, name));
  const webFile = path.join(webDir, name);
  if (!fs.existsSync(webFile)) { console.log(`the WebAssembly assetgen made no ${name}`); failed = true; continue; }
  const b = fs.readFileSync(webFile);
  ++files;
  if (a.length !== b.length) { console.log(`${name}: ${b.length} bytes, not ${a.length}`); failed = true; continue; }
  if (a.equals(b)) continue;
  ++differ;
  if (!name.endsWith('.voc')) { console.log(`${name} differs from the native picture`); failed = true; continue; }
  let worst = 0;
  for (let i = 0; i < 32; ++i) if (a[i] !== b[i]) worst = Infinity;  // the samples start at 32
  for (let i = 32; i + 2 <= a.length; i += 2) worst = Math.max(worst, Math.abs(a.readInt16LE(i) - b.readInt16LE(i)));
  if (worst > 1) { console.log(`${name}: a sample ${worst} apart from the native one`); failed = true; }
}
console.log(`generated files: ${files} made, pictures all alike, ${differ} voices one apart in places`);
process.exit(failed ? 1 : 0);
JS
