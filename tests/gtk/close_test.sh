#!/usr/bin/env bash
# Closing the window the way a window manager does (WM_DELETE_WINDOW) ends
# the program with exit status 1, also while a program runs in the machine;
# SIGTERM ends it as any program.
source "$(dirname "$0")/desktop_lib.sh"

x_start
start_booted
"$CLOSE_WINDOW" "$WINDOW"
wait_exit "$TESSEL_PID"
[ "$EXIT_STATUS" = 1 ] || fail "exit status $EXIT_STATUS after closing, not 1"
x_window_gone "$WINDOW" || fail "the window stays"
echo "closed at the prompt: exit status 1"

# Closing from the File menu's Exit does nothing, the close button does.
cp "$TEST_PROGRAMS/graphics_bars.vz" "$WORK/bars.vz"
start_tessel
load_path "$WORK/bars.vz"
choose_menu_item 0 2
still_running || fail "File > Exit ended the program"
"$CLOSE_WINDOW" "$WINDOW"
wait_exit "$TESSEL_PID"
[ "$EXIT_STATUS" = 1 ] || fail "exit status $EXIT_STATUS after closing, not 1"
echo "closed with a program running: exit status 1"

# Stopped from outside (kill, Ctrl+C in its terminal, the session ending),
# the program ends too, also with a sound device open.
export SDL_AUDIODRIVER=dummy
start_tessel
grep -q "no sound" "$WORK/tessel.err" && fail "the dummy sound device did not open"
kill -TERM "$TESSEL_PID"
wait_exit "$TESSEL_PID"
[ "$EXIT_STATUS" = 143 ] || fail "exit status $EXIT_STATUS after SIGTERM, not 143"
echo "ended by SIGTERM with sound open: exit status 143"
