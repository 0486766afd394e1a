#!/usr/bin/env bash
# Installs what building and running need, builds the two programs (not the
# tests) and starts the emulator in the current directory, where it looks for
# vzrom.v20 and vz200.fnt.
set -euo pipefail
here="$(pwd)"
top="$(cd "$(dirname "$0")/.." && pwd)"

"$top/tools/install-deps.sh" run
cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=Release -DTESSEL_GTK=ON -DTESSEL_TESTS=OFF >/dev/null
cmake --build "$top/build" -j2 --target tessel tessel-run

cd "$here"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$top/build/tessel"
fi
# No desktop to show a window on: boot headless, type a command, print the screen.
typed='D 0\n'
echo "run: no display (DISPLAY and WAYLAND_DISPLAY are unset), so no window: running build/tessel-run --type '$typed' --print-screen instead; start tools/run.sh in a desktop session for the window" >&2
exec "$top/build/tessel-run" --type "$typed" --frames 200 --print-screen "$@"
