#!/usr/bin/env bash
# Installs the Debian packages Qorb's build, tests and tools need, and only
# those that are missing. Pass --fuzz to add clang's fuzzing runtime.
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
  desktop-file-utils appstream       # checking the menu entry and the AppStream data
)
if [[ "${1:-}" == "--fuzz" ]]; then
  packages+=(clang libclang-rt-dev)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [[ ${#missing[@]} -eq 0 ]]; then
  echo "install-deps: all ${#packages[@]} packages are already installed."
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
echo "install-deps: done."
