#!/usr/bin/env bash
# Without a display the window cannot be created: the program ends with -1
# (255) after the toolkit's one line on standard error, and shows no box.
source "$(dirname "$0")/desktop_lib.sh"

# no_display DISPLAY-VALUE: runs the program with DISPLAY so (unset when
# empty); sets EXIT_STATUS and ERRORS.
no_display() {
    EXIT_STATUS=0
    (cd "$RUN_DIR" && if [ -n "$1" ]; then export DISPLAY=$1; else unset DISPLAY; fi &&
        exec timeout 20 "$TESSEL" >"$WORK/tessel.out" 2>"$WORK/tessel.err") || EXIT_STATUS=$?
    ERRORS=$(cat "$WORK/tessel.err")
}

for display in "" ":1999"; do
    no_display "$display"
    [ "$EXIT_STATUS" = 255 ] || fail "DISPLAY='$display': exit status $EXIT_STATUS, not 255 (-1)"
    [ "$(wc -l <"$WORK/tessel.err")" = 1 ] || fail "DISPLAY='$display': not one line: $ERRORS"
    [[ "$ERRORS" == "tessel: Cannot open display:"* ]] || fail "DISPLAY='$display': $ERRORS"
    [ ! -s "$WORK/tessel.out" ] || fail "DISPLAY='$display': wrote to standard output"
    echo "DISPLAY='$display': $ERRORS (status 255)"
done
