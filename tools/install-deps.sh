#!/usr/bin/env bash
# Installs the Debian packages that building and testing Tessel need.
# Safe to run again: packages already present are left alone.
set -euo pipefail

packages=(
  cmake g++ make pkg-config   # build
  libgtest-dev googletest     # unit tests
  libpng-dev                  # screenshots and golden pictures
  z80asm                      # the open replacement ROM and test programs
  libgtk-3-dev                # the desktop window
  libsdl2-dev                 # ...and its sound
  xvfb xdotool imagemagick x11-utils  # desktop tests in a virtual display
  g++-mingw-w64-x86-64-win32  # the Windows program...
  wine wine64                 # ...and its smoke test
  clang libclang-rt-14-dev    # fuzz targets (libFuzzer, sanitizers)
  clang-tidy cppcheck         # static checks (tools/lint.sh)
  valgrind                    # memcheck over the headless runner
  ccache                      # shared objects between the test builds
  emscripten node-acorn       # the browser page (tools/build-web.sh)...
  nodejs chromium             # ...and its tests (playwright-core from npm)
)

# npm comes with some builds of nodejs and is a package of its own in
# Debian's, which conflicts with the others.
if ! command -v npm >/dev/null; then packages+=(npm); fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "install-deps: not root and no sudo; install: ${missing[*]}" >&2; exit 1; }
  sudo="sudo"
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
