#!/usr/bin/env bash
# Installs what is needed, builds Tessel and starts the emulator in the
# current directory (where it looks for vzrom.v20 and vz200.fnt).
set -euo pipefail
here="$(pwd)"
top="$(cd "$(dirname "$0")/.." && pwd)"

"$top/tools/install-deps.sh"
cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$top/build" -j2

cd "$here"
if [ -x "$top/build/shell/tessel" ]; then
  exec "$top/build/shell/tessel"
fi
# Without a desktop build: boot headless, type a command, show the screen.
exec "$top/build/shell/tessel-run" --type 'D 0\n' --frames 200 --print-screen "$@"
