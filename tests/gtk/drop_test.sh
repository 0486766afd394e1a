#!/usr/bin/env bash
# Drag and drop onto the window from another X client (x_source, by the XDND
# protocol, as a file manager or a browser drops): dropped text is typed as
# tessel-run types it, by the key legends; a file that cannot be read changes
# nothing; of several program files the first launches as tessel-run --run
# launches it, and the next Load offers it; a BASIC program with the open ROM
# goes in as data, with one line; text over 64 KB is cut with one line.
source "$(dirname "$0")/desktop_lib.sh"
: "${X_SOURCE:?}"

FILES=$WORK/files
mkdir -p "$FILES"
cp "$TEST_PROGRAMS/graphics_bars.vz" "$FILES/program.vz"
cp "$TEST_PROGRAMS/hello_text.vz" "$FILES/second.vz"

x_start
program_references
start_booted

# Lower case types the letter keys, CR LF is Return, and what no key types
# is left out.
"$X_SOURCE" drop "$WINDOW" text $'d 0{x}\r\nd 8\r\n' || fail "the text drop"
typed=$(expected_text --type 'D 0X\nD 8\n')
wait_for_text "$typed"
cp "$LAST_SHOT" "$SCREENSHOTS/drop-text.png"
echo "dropped text typed as tessel-run --type types it"

"$X_SOURCE" drop "$WINDOW" files "$FILES/missing.vz" || fail "the drop of a missing file"
sleep 1
wait_for_text "$typed"
still_running || fail "the program ended"
echo "a dropped file that cannot be read changed nothing"

"$X_SOURCE" drop "$WINDOW" files "$FILES/program.vz" "$FILES/second.vz" || fail "the file drop"
wait_for_client bars
cp "$LAST_SHOT" "$SCREENSHOTS/drop-file.png"
echo "of two dropped files the first ran, as tessel-run --run runs it"

# The next Load offers the dropped file: Return alone takes what it holds now.
cp "$TEST_PROGRAMS/hello_text.vz" "$FILES/program.vz"
open_dialog
screenshot dialog >/dev/null
xdotool key Return
x_window_gone "$DIALOG" || fail "the Open dialog stays"
wait_for_client hello
echo "the next Load offered $FILES/program.vz"

# A BASIC program (type 0xF0) needs BASIC, which the open ROM has not: it
# goes in as data, with one line that says so.
{ printf 'VZF0'; head -c 17 /dev/zero; printf '\xf0\xe9\x7a\x00\x00'; } >"$FILES/basic.vz"
"$X_SOURCE" drop "$WINDOW" files "$FILES/basic.vz" || fail "the drop of a BASIC program"
for _ in $(seq 50); do grep -q "loaded as data" "$WORK/tessel.err" && break; sleep 0.1; done
grep "$FILES/basic.vz loaded as data: this ROM has no BASIC" "$WORK/tessel.err" || fail "no line for the data"

# Over 64 KB: typed as far as it goes, the rest cut with one line.
"$X_SOURCE" drop "$WINDOW" text "$(head -c 70000 /dev/zero | tr '\0' 'A')" || fail "the long drop"
for _ in $(seq 50); do grep -q "too much text" "$WORK/tessel.err" && break; sleep 0.1; done
[ "$(grep -c "too much text" "$WORK/tessel.err")" = 1 ] || fail "no one line for the cut text"
grep "too much text" "$WORK/tessel.err"
still_running || fail "the program ended"
