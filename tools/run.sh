#!/usr/bin/env bash
# Installs what is needed, builds Tessel and starts the emulator in the
# current directory (where it looks for vzrom.v20 and vz200.fnt).
set -euo pipefail
here="$(pwd)"
top="$(cd "$(dirname "$0")/.." && pwd)"

"$top/tools/install-deps.sh"
cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=Release -DTESSEL_GTK=ON >/dev/null
cmake --build "$top/build" -j2

cd "$here"
if [ -x "$top/build/shell/tessel" ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$top/build/shell/tessel"
fi
# No desktop to show a window on: boot headless, type a command, print the screen.
echo "run: no display; running the emulator headless (build/shell/tessel-run --help)" >&2
exec "$top/build/shell/tessel-run" --type 'D 0\n' --frames 200 --print-screen "$@"
