#!/usr/bin/env bash
# Builds the browser page with Emscripten: first the converters for this
# machine (a native build), then the WebAssembly build that runs them.
#
#   tools/build-web.sh            -> build-web/page/ (index.html, tessel.js,
#                                    tessel.wasm and the page's other files)
#
# TESSEL_HOST_TOOLS=<native build>/tools reuses the converters of an existing
# native build instead; TESSEL_WEB_BUILD and TESSEL_NATIVE_BUILD choose the
# build folders (default build-web and build-native-tools).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
web_build="${TESSEL_WEB_BUILD:-$top/build-web}"
native_build="${TESSEL_NATIVE_BUILD:-$top/build-native-tools}"
host_tools="${TESSEL_HOST_TOOLS:-}"

if ! command -v emcmake >/dev/null; then
  echo "build-web: Emscripten is missing (apt-get install emscripten node-acorn)" >&2
  exit 1
fi
# Debian's emcc runs its JavaScript tools with the system's node, which
# finds acorn only in Debian's own module folder.
export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"

if [ -z "$host_tools" ]; then
  cmake -S "$top" -B "$native_build" -DCMAKE_BUILD_TYPE=Release -DTESSEL_GTK=OFF >/dev/null
  cmake --build "$native_build" -j2 --target tessel_fontc tessel_embed tessel_make_icon tessel_make_vz
  host_tools="$native_build/tools"
fi

emcmake cmake -S "$top" -B "$web_build" -DCMAKE_BUILD_TYPE=Release -DTESSEL_GTK=OFF -DTESSEL_LTO=OFF \
  -DTESSEL_HOST_TOOLS="$host_tools" >/dev/null
cmake --build "$web_build" -j2 --target tessel_page
echo "build-web: $web_build/page"
