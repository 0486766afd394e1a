# Sourced by the desktop tests: an X server of the test's own, the program in
# a real window, keys held the way a user holds them, screenshots, and the
# pictures and screen texts tessel-run makes of the same machine state.
#
# Set by CTest: TESSEL, TESSEL_KEYFAIL, TESSEL_RUN, CLOSE_WINDOW, SCREEN_TEXT,
# KEY_CODES, X_SOURCE (drops and selections from another client), MAKE_ICON
# and ICON_DRAWING (the icon's pixels), DESKTOP_ENTRY, TEST_PROGRAMS
# (the .vz test programs) and SCREENSHOTS (kept for looking at).
# With DEBUG_DESKTOP set, a failure also lists the windows and the process.
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/../support/x11.sh"
needs Xvfb xdotool import convert-im6 compare-im6
: "${TESSEL:?}" "${TESSEL_KEYFAIL:?}" "${TESSEL_RUN:?}" "${CLOSE_WINDOW:?}" "${SCREEN_TEXT:?}" "${KEY_CODES:?}"
: "${TEST_PROGRAMS:?}" "${SCREENSHOTS:?}"

TEST_NAME=$(basename "$0" _test.sh)
WORK=$(mktemp -d "${TMPDIR:-/tmp}/tessel-$TEST_NAME.XXXXXX")
# Both programs run here: no machine files, so both use the open ROM and font.
RUN_DIR=$WORK/run
mkdir -p "$RUN_DIR" "$WORK/home" "$SCREENSHOTS"
rm -f "$SCREENSHOTS/$TEST_NAME"-*.png

clean_up_at_exit

fail() {
    echo "FAIL: $*" >&2
    if [ -s "$WORK/tessel.err" ]; then sed 's/^/tessel: /' "$WORK/tessel.err" >&2; fi
    if [ -n "${DEBUG_DESKTOP:-}" ] && [ -n "${DISPLAY:-}" ]; then
        xwininfo -root -tree >&2 || true
        [ -n "${TESSEL_PID:-}" ] && { ps -o pid,stat,wchan:30,args -p "$TESSEL_PID" >&2 || true; }
    fi
    if [ -n "${DISPLAY:-}" ]; then import -window root "$SCREENSHOTS/$TEST_NAME-failure.png" 2>/dev/null || true; fi
    exit 1
}

# What the toolkit needs under a bare X server, and a home of the test's own.
export GDK_BACKEND=x11 GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 HOME=$WORK/home GDK_SCALE=1
unset WAYLAND_DISPLAY
# Sanitizer builds: the toolkit keeps its caches until the process ends.
export ASAN_OPTIONS=detect_leaks=0

# ---- X server and windows ------------------------------------------------------

# find_window NAME-REGEX: the id of a visible window so named; waits up to 20 s.
find_window() { x_window "$1" || fail "no window named $1"; }

MAIN_TITLE='^Tessel - VZ200/300 Emulator$'

# start_tessel [PROGRAM]: runs the program in RUN_DIR; sets TESSEL_PID and
# WINDOW, and gives the window the focus (there is no window manager to).
start_tessel() {
    local program=${1:-$TESSEL}
    (cd "$RUN_DIR" && exec "$program" >"$WORK/tessel.out" 2>"$WORK/tessel.err") &
    TESSEL_PID=$!
    STARTED+=("$TESSEL_PID")
    WINDOW=$(find_window "$MAIN_TITLE")
    xdotool windowfocus --sync "$WINDOW"
}

# start_booted: start_tessel, then wait until the open ROM's first screen shows.
start_booted() {
    start_tessel
    locate_picture "$WINDOW"
    wait_for_text "$(expected_text --frames 150)"
}

# program_references: tessel-run's pictures of the two test programs loaded,
# bars (graphics_bars.vz) and hello (hello_text.vz).
program_references() {
    reference bars --load "$TEST_PROGRAMS/graphics_bars.vz" --frames 150
    reference hello --load "$TEST_PROGRAMS/hello_text.vz" --frames 150
}

# wait_exit PID: waits up to 20 s for the program to end; sets EXIT_STATUS.
wait_exit() {
    for _ in $(seq 200); do
        kill -0 "$1" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$1" 2>/dev/null && fail "process $1 did not end"
    EXIT_STATUS=0
    wait "$1" || EXIT_STATUS=$?
}

still_running() { kill -0 "$TESSEL_PID" 2>/dev/null; }

# ---- Keys ------------------------------------------------------------------------

# choose_menu_item MENU ITEM: by keyboard, menus and items counted from 0:
# F10 opens the first menu, Right moves on to the next, Down selects items.
choose_menu_item() {
    xdotool key F10
    sleep 0.3
    for ((m = 0; m < $1; ++m)); do xdotool key Right; sleep 0.1; done
    for ((i = 0; i <= $2; ++i)); do xdotool key Down; sleep 0.1; done
    xdotool key Return
    sleep 0.3
}

# open_dialog: File > Load; sets DIALOG to the Open dialog, and gives it the focus.
open_dialog() {
    choose_menu_item 0 0
    DIALOG=$(find_window '^Open VZ File$')
    xdotool windowfocus --sync "$DIALOG"
    sleep 0.5
}

# load_path PATH: File > Load, the path typed into the chooser's location
# entry (Ctrl+L), Return.
load_path() {
    open_dialog
    screenshot dialog >/dev/null
    xdotool key ctrl+l
    sleep 0.3
    xdotool type --delay 20 "$1"
    sleep 0.3
    xdotool key Return
    x_window_gone "$DIALOG" || fail "the Open dialog stays"
}

# ---- Pictures --------------------------------------------------------------------

# The window's client area is the bottom 242 rows (times the scale) of the
# window, under the menu bar; the picture is at client (1, 1).
locate_picture() {
    local scale=$GDK_SCALE X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$1")"
    CLIENT_X=$X
    CLIENT_Y=$((Y + HEIGHT - 242 * scale))
    PICTURE_X=$((CLIENT_X + scale))
    PICTURE_Y=$((CLIENT_Y + scale))
}

# screenshot NAME: the whole screen into SCREENSHOTS; prints the path.
screenshot() {
    local path="$SCREENSHOTS/$TEST_NAME-$1.png"
    import -window root "$path"
    echo "$path"
}

# client_area SHOT OUT: the 322x242 client area (times the scale) out of a screenshot.
client_area() {
    local scale=$GDK_SCALE
    convert-im6 "$1" -crop "$((322 * scale))x$((242 * scale))+$CLIENT_X+$CLIENT_Y" +repage "$2"
}

# reference NAME ARGUMENTS...: tessel-run's 320x240 picture after the
# arguments, and the 322x242 client area it makes: on black, at (1, 1).
reference() {
    local name=$1
    shift
    (cd "$RUN_DIR" && "$TESSEL_RUN" --fast "$@" --screenshot "$WORK/$name.png" 2>/dev/null) ||
        fail "tessel-run $*"
    convert-im6 "$WORK/$name.png" -bordercolor black -border 1 -sample "$((100 * GDK_SCALE))%" "$WORK/$name-client.png"
}

# wait_for_client REFERENCE... : waits up to 15 s until the client area equals
# one of the references (the cursor blinks: one reference for each phase).
wait_for_client() {
    local shot live="$WORK/live-client.png" reference
    for _ in $(seq 60); do
        shot=$(screenshot latest)
        client_area "$shot" "$live"
        for reference in "$@"; do
            if x_same "$live" "$WORK/$reference-client.png"; then
                LAST_SHOT=$shot
                return 0
            fi
        done
        sleep 0.25
    done
    fail "the window does not show the picture of $*"
}

# screen_text SHOT: the text screen of a screenshot, cursor shown as a space.
screen_text() { "$SCREEN_TEXT" "$1" "$PICTURE_X" "$PICTURE_Y" | tr '~' ' '; }

# expected_text ARGUMENTS...: tessel-run's text screen after the arguments.
expected_text() {
    (cd "$RUN_DIR" && "$TESSEL_RUN" --fast "$@" --print-screen 2>/dev/null) | tr '~' ' '
}

# wait_for_text EXPECTED: waits up to 15 s until the window shows that text.
wait_for_text() {
    local shot text
    for _ in $(seq 60); do
        shot=$(screenshot latest)
        text=$(screen_text "$shot")
        if [ "$text" = "$1" ]; then
            LAST_SHOT=$shot
            return 0
        fi
        sleep 0.25
    done
    diff <(echo "$1") <(echo "$text") >&2 || true
    fail "the window does not show the expected text"
}

# count_on_screen CHARACTER SHOT: how often the character shows.
count_on_screen() {
    local text
    text=$(screen_text "$2")
    text=${text//[^$1]/}
    echo "${#text}"
}
