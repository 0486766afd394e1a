# What the Windows tests share: a skip (exit 77) without the cross compiler
# or wine, and a wine prefix of the test's own on the test's X display.
# The test defines say and fail first.

SKIP=77

# wine_require: skips the test when mingw-w64 or wine is missing.
wine_require() {
  if ! command -v x86_64-w64-mingw32-g++-win32 >/dev/null && ! command -v x86_64-w64-mingw32-g++ >/dev/null; then
    echo "SKIPPED: mingw-w64 is not installed (apt-get install g++-mingw-w64-x86-64-win32)"
    exit $SKIP
  fi
  if ! command -v wine >/dev/null; then
    echo "SKIPPED: wine is not installed (apt-get install wine wine64)"
    exit $SKIP
  fi
}

# wine_start_prefix FOLDER: a new prefix in FOLDER/prefix, started.
wine_start_prefix() {
  export WINEPREFIX="$1/prefix"
  export WINEDEBUG=-all
  # No Mono or Gecko: nothing to download, no installer dialogs.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  say "starting wine (first start of a new prefix)"
  timeout 180 wineboot -i > "$1/wineboot.log" 2>&1 || { cat "$1/wineboot.log" >&2; fail "wineboot failed"; }
  # There is no window manager: wine draws the title bar and close box itself.
  timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f > /dev/null 2>&1 ||
    fail "could not configure wine"
  say "wine is ready"
}

# wine_stop: ends everything running in the prefix, if there is one.
wine_stop() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then wineserver -k 2>/dev/null; fi
}
