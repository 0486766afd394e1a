#!/usr/bin/env bash
# File > Load through the real Open dialog: a path typed into the file
# chooser loads a machine-code program, which runs and draws; the next Load
# offers the file chosen before, so Return alone loads it again; Cancel
# changes nothing.
source "$(dirname "$0")/desktop_lib.sh"

FILES=$WORK/files
mkdir -p "$FILES"
cp "$TEST_PROGRAMS/graphics_bars.vz" "$FILES/program.vz"
echo "not a program" >"$FILES/notes.txt"

x_start
program_references
start_booted

load_path "$FILES/program.vz"
wait_for_client bars
cp "$LAST_SHOT" "$SCREENSHOTS/load-bars.png"
echo "typed path loaded: graphics_bars"

# The same name now holds another program: the dialog must offer the path
# chosen before, and Return takes it.
cp "$TEST_PROGRAMS/hello_text.vz" "$FILES/program.vz"
open_dialog
screenshot dialog-second >/dev/null
xdotool key Return
x_window_gone "$DIALOG" || fail "the Open dialog stays"
wait_for_client hello
cp "$LAST_SHOT" "$SCREENSHOTS/load-hello.png"
echo "second Load offered $FILES/program.vz"

# Cancelled: the picture stays as it is.
cp "$TEST_PROGRAMS/graphics_bars.vz" "$FILES/program.vz"
open_dialog
xdotool key Escape
x_window_gone "$DIALOG" || fail "the Open dialog stays"
sleep 1
wait_for_client hello
still_running || fail "the program ended"
echo "cancelled Load changed nothing"
