#!/usr/bin/env bash
# Installs the Debian packages Qorb's build, tests and tools need, and only
# those that are missing. Pass --fuzz to add clang's fuzzing runtime, --web
# for the browser build and its tests (Emscripten, Chromium, Firefox ESR,
# WebKitGTK's WebDriver and MiniBrowser, a sound server for their audio, and
# the npm packages in tests/web that drive them).
#
# About Emscripten here: Debian's emcc runs its JavaScript passes with the
# machine's node, and looks for their modules (acorn) in /usr/share/nodejs. A
# node that is not Debian's own (this machine's) does not look there, so every
# link fails with "Cannot find module 'acorn'" unless NODE_PATH=/usr/share/nodejs
# is set. cmake/emscripten.cmake sets it for every compile and link of the
# `web` preset; set it yourself when you run emcc by hand. Newer node also
# fetches a module's .wasm as a URL and fails; our node tools are linked with
# -sWASM_ASYNC_COMPILATION=0, which reads it from the file instead.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config   # the build
  clang-format                       # the style check (scripts/check-format.sh)
  libpng-dev                         # screenshots and contact sheets
  libgtest-dev                       # tests
  libbenchmark-dev                   # benchmarks
  libsdl2-dev                        # the game's window, sound and input
  xvfb xdotool x11-apps              # the tests in a real window: server, keys, screenshots (xwd)
  dpkg-dev file fakeroot             # the Debian package: its dependencies, and dpkg as non-root
  lintian                            # Debian's checker of the package
  desktop-file-utils appstream       # checking the menu entry and the AppStream data
)
web=""
case "${1:-}" in
  --fuzz) packages+=(clang libclang-rt-dev) ;;
  --web)
    web=yes
    packages+=(emscripten chromium python3)
    # The engine tests: Firefox through WebDriver BiDi, WebKitGTK through
    # WebKitWebDriver, and a sound server whose null sink moves their audio clocks.
    packages+=(firefox-esr webkit2gtk-driver pulseaudio)
    # Emscripten needs node; keep the machine's own when it has one.
    command -v node >/dev/null || packages+=(nodejs)
    command -v npm >/dev/null || packages+=(npm)
    ;;
  "") ;;
  *) echo "install-deps: unknown option $1 (use --fuzz or --web)" >&2; exit 2 ;;
esac

# The browser tests' drivers, pinned by tests/web/package-lock.json; they
# use Debian's Chromium and Firefox and download no browser of their own.
install_web_npm() {
  [[ -n "$web" ]] || return 0
  local dir
  dir="$(cd "$(dirname "$0")/../tests/web" && pwd)"
  local want have
  local package missing=""
  for package in playwright-core puppeteer-core; do
    want=$(node -p "require('$dir/package-lock.json').packages['node_modules/$package'].version")
    have=$(node -p "require('$dir/node_modules/$package/package.json').version" 2>/dev/null || true)
    [[ "$want" == "$have" ]] || missing=yes
  done
  [[ -z "$missing" ]] && return 0
  echo "install-deps: installing the npm packages of tests/web"
  (cd "$dir" && npm ci --no-audit --no-fund --loglevel=error)
}

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [[ ${#missing[@]} -eq 0 ]]; then
  echo "install-deps: all ${#packages[@]} packages are already installed."
  install_web_npm
  exit 0
fi

sudo=()
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "install-deps: need root (or sudo) to install: ${missing[*]}" >&2; exit 1; }
  sudo=(sudo)
fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update
"${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
install_web_npm
echo "install-deps: done."
