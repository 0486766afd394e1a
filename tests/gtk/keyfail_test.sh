#!/usr/bin/env bash
# When the key source cannot be opened (the test build tessel-keyfail), the
# start-up shows the error box "Error Initializing DirectInput" captioned
# "Tessel" over the main window; once it is dismissed the window goes and the
# program ends with -1 (255).
source "$(dirname "$0")/desktop_lib.sh"
needs xprop

x_start
(cd "$RUN_DIR" && exec "$TESSEL_KEYFAIL" >"$WORK/tessel.out" 2>"$WORK/tessel.err") &
TESSEL_PID=$!
STARTED+=("$TESSEL_PID")
BOX=$(find_window '^Tessel$')
MAIN=$(find_window "$MAIN_TITLE")
xprop -id "$BOX" _NET_WM_WINDOW_TYPE | grep -q _NET_WM_WINDOW_TYPE_DIALOG || fail "the box is no dialog"
xdotool windowfocus --sync "$BOX"
sleep 0.5
screenshot box >/dev/null
still_running || fail "the program did not wait for the box"

xdotool key Return
wait_exit "$TESSEL_PID"
[ "$EXIT_STATUS" = 255 ] || fail "exit status $EXIT_STATUS, not 255 (-1)"
x_window_gone "$MAIN" || fail "the main window stays"
echo "error box dismissed: exit status 255"
