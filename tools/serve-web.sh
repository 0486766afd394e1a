#!/usr/bin/env bash
# Serves the browser page on this machine only, for trying it:
#
#   tools/serve-web.sh [PORT]     -> http://localhost:8000/ (PORT defaults to 8000)
#
# Builds the page first when build-web/page has none (tools/build-web.sh);
# TESSEL_WEB_BUILD chooses another build folder. The page needs a server:
# browsers do not run WebAssembly or keep storage for a file:// page, and
# play sound only on https or localhost pages.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
web_build="${TESSEL_WEB_BUILD:-$top/build-web}"
port="${1:-8000}"

if [ ! -f "$web_build/page/tessel.wasm" ]; then
  TESSEL_WEB_BUILD="$web_build" "$top/tools/build-web.sh"
fi
echo "serve-web: http://localhost:$port/ (Ctrl+C stops)"
exec python3 -m http.server "$port" --bind 127.0.0.1 --directory "$web_build/page"
