# Sourced by the tests that drive a real window: an X server of the test's
# own, windows found by name, keys held the way a user holds them, typing by
# the machine's key legends, and pictures compared pixel for pixel.
#
# The caller defines fail MESSAGE and an array STARTED, to which x_start adds
# the server so that the caller's cleanup stops it. x_type needs KEY_CODES,
# the key_codes program of the build.

X_HOLD=${X_HOLD:-0.15}  # seconds a key is held: several frames, fewer than a key repeat

# needs TOOL...: skips the test (exit status 77) when a tool is missing.
needs() {
    local tool
    for tool; do
        command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
    done
}

# stop_started: stops every process in STARTED, the X server among them,
# and waits for each.
stop_started() {
    local pid
    for pid in "${STARTED[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${STARTED[@]}"; do wait "$pid" 2>/dev/null || true; done
}

# clean_up_at_exit: however the test ends, what it started is stopped and
# its WORK folder removed, and its exit status kept.
clean_up_at_exit() {
    STARTED=()
    trap 'status=$?; stop_started; rm -rf "$WORK"; exit "$status"' EXIT
}

# x_start: an Xvfb of our own on a free display number; exports DISPLAY.
x_start() {
    local first=$((200 + $$ % 500)) n pid
    for ((n = first; n < first + 100; ++n)); do
        [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
        pid=$!
        for _ in $(seq 100); do
            [ -S "/tmp/.X11-unix/X$n" ] && DISPLAY=":$n" xdotool getdisplaygeometry >/dev/null 2>&1 && break
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.05
        done
        if kill -0 "$pid" 2>/dev/null; then
            STARTED+=("$pid")
            export DISPLAY=":$n"
            return 0
        fi
        wait "$pid" 2>/dev/null || true  # another server took the number first
    done
    fail "no free X display"
}

# x_window NAME-REGEX [SECONDS]: prints the id of a visible window so named,
# waiting up to SECONDS (default 20); status 1 when none shows.
x_window() {
    local id tries=$((${2:-20} * 10))
    for ((i = 0; i < tries; ++i)); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# x_window_gone ID [SECONDS]: true once the window is gone or hidden (waits
# up to SECONDS, default 10).
x_window_gone() {
    local tries=$((${2:-10} * 10))
    for ((i = 0; i < tries; ++i)); do
        xdotool search --onlyvisible --name '.*' 2>/dev/null | grep -qx "$1" || return 0
        sleep 0.1
    done
    return 1
}

# x_hold KEY: down, held, up, and as long again before the next key.
x_hold() {
    xdotool keydown "$1"
    sleep "$X_HOLD"
    xdotool keyup "$1"
    sleep "$X_HOLD"
}

# x_type TEXT: typed by the machine's key legends, left Shift where a legend
# needs it; "\n" is Return.
x_type() {
    local codes line
    codes=$("${KEY_CODES:?}" "$1") || fail "cannot type '$1'"
    while read -r -a line; do
        if [ "${#line[@]}" = 2 ]; then
            xdotool keydown "${line[0]}"
            sleep 0.1
            x_hold "${line[1]}"
            xdotool keyup "${line[0]}"
            sleep 0.1
        else
            x_hold "${line[0]}"
        fi
    done <<<"$codes"
}

# x_differing A B: how many pixels of two pictures of one size differ.
x_differing() { compare-im6 -metric AE "$1" "$2" null: 2>&1 || true; }

x_same() { [ "$(x_differing "$1" "$2")" = 0 ]; }
