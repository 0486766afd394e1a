#!/usr/bin/env bash
# A middle click on the picture types the primary selection as tessel-run
# types text; a paste while another is typing waits for it; a click beside
# the picture, or with nothing selected, types nothing.
source "$(dirname "$0")/desktop_lib.sh"
: "${X_SOURCE:?}"

# own_selection TEXT: another client owns the primary selection with TEXT; sets
# SELECTION to the file where it says what it did.
own_selection() {
    SELECTION=$WORK/selection-$RANDOM
    "$X_SOURCE" primary "$1" 60 >"$SELECTION" &
    STARTED+=("$!")
    for _ in $(seq 50); do grep -q ready "$SELECTION" && return 0; sleep 0.1; done
    fail "no owner of the primary selection"
}

# middle_click X Y: the middle button at client position (X, Y).
middle_click() { xdotool mousemove "$((CLIENT_X + $1))" "$((CLIENT_Y + $2))" click 2; }

answered() {
    for _ in $(seq 50); do grep -q answered "$SELECTION" && return 0; sleep 0.1; done
    fail "the selection was not asked for"
}

x_start
start_booted

# Each as selected, and as tessel-run's --type writes it.
FIRST=$'d 0\nd 8\nd 10\n' FIRST_TYPED='d 0\nd 8\nd 10\n'
SECOND=$'d 18\n' SECOND_TYPED='d 18\n'
own_selection "$FIRST"
middle_click 1 1
answered
# The second paste comes while the first still types (17 characters of 6 frames).
own_selection "$SECOND"
middle_click 320 240
answered
typed=$(expected_text --type "$FIRST_TYPED$SECOND_TYPED")
wait_for_text "$typed"
cp "$LAST_SHOT" "$SCREENSHOTS/paste.png"
echo "two pastes typed one after the other, as tessel-run --type types them"

# Beside the picture: the client area's left column and the row under the picture.
middle_click 0 100
middle_click 100 241
sleep 1
grep -c answered "$SELECTION" | grep -qx 1 || fail "a click beside the picture asked for the selection"
# Nothing selected: the owner is gone.
kill "${STARTED[-1]}"
sleep 0.3
middle_click 100 100
sleep 1
wait_for_text "$typed"
still_running || fail "the program ended"
echo "clicks beside the picture and without a selection typed nothing"
