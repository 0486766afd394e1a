#!/usr/bin/env bash
# Keys typed on the real keyboard reach the open ROM: every legend, Shift
# included, shows on the picture as tessel-run types it; the cursor keys act
# as their Ctrl combinations (Left and Backspace take back a character, the
# others type nothing), and keys outside the machine's table do nothing.
source "$(dirname "$0")/desktop_lib.sh"

LINE1='HELLO, WORLD 0123456789 -.;:'
LINE2='!"#$%&'"'"'()@+*=<>/?'

x_start
start_booted

x_type "$LINE1\\n$LINE2\\n"
wait_for_text "$(expected_text --type "$LINE1\\n$LINE2\\n")"
cp "$LAST_SHOT" "$SCREENSHOTS/typing-legends.png"
echo "typed: $LINE1 / $LINE2"

# ABD, Left takes back D, Backspace B; the other cursor and editing keys and
# keys the machine does not have type nothing; then C.
x_type ABD
x_hold Left
x_hold BackSpace
for key in Right Up Down Insert Delete End Home Prior Next F1 Escape Tab KP_4 KP_Enter Shift_R; do
    x_hold "$key"
done
x_type C
typed="$LINE1\\n$LINE2\\nAC"
wait_for_text "$(expected_text --type "$typed")"
echo "cursor keys: ABD Left Backspace ... C gives AC"

# Pixel for pixel too, whichever phase the cursor is in.
frames=$((50 + 6 * ${#typed} + 60))
reference typed-lit --type "$typed" --frames "$frames"
reference typed-dark --type "$typed" --frames "$((frames + 16))"
wait_for_client typed-lit typed-dark
cp "$LAST_SHOT" "$SCREENSHOTS/typing-cursor-keys.png"
still_running || fail "the program ended"
