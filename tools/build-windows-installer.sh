#!/usr/bin/env bash
# Builds the Windows installer and the portable zip: tessel.exe first
# (tools/build-windows.sh, which takes the same TESSEL_WIN_BUILD,
# TESSEL_NATIVE_BUILD and TESSEL_HOST_TOOLS), then the cross build's
# windows_packages target, which runs makensis over dist/windows/tessel.nsi.
#
#   tools/build-windows-installer.sh  -> build-win/Tessel-<version>-setup.exe
#                                        build-win/Tessel-<version>-windows.zip
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
win_build="${TESSEL_WIN_BUILD:-$top/build-win}"

if ! command -v makensis >/dev/null; then
  echo "build-windows-installer: makensis is missing (apt-get install nsis)" >&2
  exit 1
fi

TESSEL_WIN_BUILD="$win_build" "$top/tools/build-windows.sh"
cmake --build "$win_build" -j2 --target windows_packages
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$win_build/CMakeCache.txt")"
echo "build-windows-installer: $win_build/Tessel-$version-setup.exe"
echo "build-windows-installer: $win_build/Tessel-$version-windows.zip"
