#!/usr/bin/env bash
# Installs the Debian packages Tessel needs. Safe to run again: packages
# already present are left alone.
#
#   tools/install-deps.sh run          building and running the programs (tools/run.sh)
#   tools/install-deps.sh [test]       that, and what the tests add (tools/test.sh)
#   tools/install-deps.sh --list SET   prints a set's packages, one a line, and
#                                      installs nothing: run, test (what the
#                                      tests add) or all
set -euo pipefail

# Building and running tessel and tessel-run.
run_packages=(
  cmake g++ make pkg-config   # build
  z80asm                      # the open replacement ROM
  libgtk-3-dev                # the desktop window
  libsdl2-dev                 # ...and its sound
  libpng-dev                  # tessel-run's screenshots
)

# What building and running every test adds.
test_packages=(
  libgtest-dev googletest     # unit tests
  xvfb xdotool imagemagick x11-utils  # desktop tests in a virtual display
  retroarch dbus-daemon       # the libretro core in RetroArch, in the same display
  g++-mingw-w64-x86-64-win32  # the Windows program...
  wine wine64                 # ...and its smoke test
  nsis icoutils               # the Windows installer, and reading its program's version back
  clang libclang-rt-14-dev    # fuzz targets (libFuzzer, sanitizers)
  clang-tidy cppcheck         # static checks (tools/lint.sh)...
  eslint                      # ...and of the page's JavaScript, as a library (tools/lint-page.cjs)
  valgrind                    # memcheck over the headless runner
  ccache                      # shared objects between the test builds
  emscripten node-acorn       # the browser page (tools/build-web.sh)...
  nodejs chromium             # ...and its tests (playwright-core from npm)
  desktop-file-utils appstream man-db dpkg-dev  # checks of the installed files and the Debian package
)

# npm comes with some builds of nodejs and is a package of its own in
# Debian's, which conflicts with the others.
if ! command -v npm >/dev/null; then test_packages+=(npm); fi

usage() { echo "usage: tools/install-deps.sh [run|test] | --list run|test|all" >&2; exit 2; }

if [ "${1:-}" = "--list" ]; then
  case "${2:-}" in
    run) printf '%s\n' "${run_packages[@]}" ;;
    test) printf '%s\n' "${test_packages[@]}" ;;
    all) printf '%s\n' "${run_packages[@]}" "${test_packages[@]}" ;;
    *) usage ;;
  esac
  exit 0
fi

case "${1:-test}" in
  run) packages=("${run_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  *) usage ;;
esac

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
