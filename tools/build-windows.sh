#!/usr/bin/env bash
# Builds the Windows program, tessel.exe, and the libretro core,
# tessel_libretro.dll, with mingw-w64: first the
# converters for this machine (a native build), then the cross build that
# runs them. The native build needs neither GTK nor the test tools.
#
#   tools/build-windows.sh            -> build-win/tessel.exe, build-win/tessel_libretro.dll
#
# TESSEL_HOST_TOOLS=<native build>/tools reuses the converters of an existing
# native build instead; TESSEL_WIN_BUILD and TESSEL_NATIVE_BUILD choose the
# build folders (default build-win and build-native-tools).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
win_build="${TESSEL_WIN_BUILD:-$top/build-win}"
native_build="${TESSEL_NATIVE_BUILD:-$top/build-native-tools}"
host_tools="${TESSEL_HOST_TOOLS:-}"

if ! command -v x86_64-w64-mingw32-g++-win32 >/dev/null && ! command -v x86_64-w64-mingw32-g++ >/dev/null; then
  echo "build-windows: mingw-w64 is missing (apt-get install g++-mingw-w64-x86-64-win32)" >&2
  exit 1
fi

if [ -z "$host_tools" ]; then
  cmake -S "$top" -B "$native_build" -DCMAKE_BUILD_TYPE=Release -DTESSEL_GTK=OFF -DTESSEL_TESTS=OFF >/dev/null
  cmake --build "$native_build" -j2 --target tessel_fontc tessel_embed tessel_make_icon tessel_make_vz
  host_tools="$native_build/tools"
fi

cmake -S "$top" -B "$win_build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
  -DTESSEL_HOST_TOOLS="$host_tools" >/dev/null
cmake --build "$win_build" -j2 --target tessel tessel_libretro
echo "build-windows: $win_build/tessel.exe $win_build/tessel_libretro.dll"
