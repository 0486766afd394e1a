#!/usr/bin/env bash
# RetroArch itself runs the core, in an X server of the test's own: the
# core's picture after N frames, without content and with a program of ours,
# is tessel-run's after N frames; keys typed into RetroArch's window reach
# the machine as tessel-run --type's keys do; a state saved and loaded
# through RetroArch's network commands brings the picture back. RetroArch
# takes the core from a core folder with its info beside it, and an empty
# system folder, so the open ROM runs.
#
# Set by CTest: CORE, CORE_INFO, TESSEL_RUN, KEY_CODES, TEST_PROGRAMS and
# SCREENSHOTS (the pictures are kept there for looking at).
set -euo pipefail

source "$(dirname "$0")/../support/x11.sh"
needs retroarch Xvfb xdotool dbus-run-session compare-im6
: "${CORE:?}" "${CORE_INFO:?}" "${TESSEL_RUN:?}" "${KEY_CODES:?}" "${TEST_PROGRAMS:?}" "${SCREENSHOTS:?}"

WORK=$(mktemp -d "${TMPDIR:-/tmp}/tessel-retroarch.XXXXXX")
mkdir -p "$WORK"/{cores,info,system,home,shots,states,run} "$SCREENSHOTS"
rm -f "$SCREENSHOTS"/retroarch-*

clean_up_at_exit

fail() {
    echo "FAIL: $*" >&2
    if [ -s "$WORK/retroarch.log" ]; then
        grep -E '\[(libretro|State|Command)' "$WORK/retroarch.log" | sed 's/^/retroarch: /' >&2 || true
        cp "$WORK/retroarch.log" "$SCREENSHOTS/retroarch-failure.log"
    fi
    exit 1
}

x_start

cp "$CORE" "$WORK/cores/"
cp "$CORE_INFO" "$WORK/info/"
PORT=$((55400 + $$ % 500))
# Appended to RetroArch's own configuration: a GL picture that Mesa draws
# without a GPU, no sound device, frames paced at the core's 50 a second
# (Xvfb gives no vsync, and a key held 150 ms over many more frames would
# repeat), the keyboard to the core (game focus), the network commands on
# this machine only, the core's own frames as screenshots, and nothing
# written back.
cat >"$WORK/retroarch.cfg" <<EOF
gamemode_enable = "false"
video_driver = "gl"
video_fullscreen = "false"
video_gpu_screenshot = "false"
audio_driver = "null"
vrr_runloop_enable = "true"
menu_driver = "rgui"
pause_nonactive = "false"
config_save_on_exit = "false"
libretro_directory = "$WORK/cores"
libretro_info_path = "$WORK/info"
system_directory = "$WORK/system"
screenshot_directory = "$WORK/shots"
savestate_directory = "$WORK/states"
notification_show_screenshot = "false"
input_auto_game_focus = "1"
network_cmd_enable = "true"
network_cmd_port = "$PORT"
EOF
export HOME=$WORK/home XDG_CONFIG_HOME=$WORK/home/.config
unset WAYLAND_DISPLAY
CORE_PATH=$WORK/cores/$(basename "$CORE")

# reference NAME ARGUMENTS...: tessel-run's 320x240 picture after the arguments.
reference() {
    local name=$1
    shift
    (cd "$WORK/run" && "$TESSEL_RUN" --fast "$@" --screenshot "$WORK/$name.png" 2>/dev/null) || fail "tessel-run $*"
}

# after_frames FRAMES NAME [CONTENT]: RetroArch runs the core for FRAMES
# frames and saves the core's last picture as NAME.
after_frames() {
    local frames=$1 name=$2
    shift 2
    timeout 60 dbus-run-session -- retroarch --verbose -L "$CORE_PATH" "$@" --appendconfig "$WORK/retroarch.cfg" \
        --max-frames "$frames" --max-frames-ss --max-frames-ss-path "$WORK/$name.png" >"$WORK/retroarch.log" 2>&1 ||
        fail "retroarch ended with status $? after $frames frames"
    [ -s "$WORK/$name.png" ] || fail "RetroArch saved no picture of frame $frames"
    cp "$WORK/$name.png" "$SCREENSHOTS/$name.png"
}

# The open ROM's prompt, in the frame where its cursor lights up: one frame
# more or less would show another picture.
reference boot-144 --frames 144
reference boot --frames 145
x_same "$WORK/boot-144.png" "$WORK/boot.png" && fail "frames 144 and 145 show the same picture"
after_frames 145 retroarch-boot
x_same "$WORK/retroarch-boot.png" "$WORK/boot.png" || fail "RetroArch's frame 145 is not tessel-run's"
grep -q "tessel: no vzrom.v20 in the system folder $WORK/system, running the built-in open ROM" "$WORK/retroarch.log" ||
    fail "the core did not say through RetroArch's log that the open ROM stands in"
echo "no content: frame 145 is tessel-run's, pixel for pixel; the open ROM's line in RetroArch's log"

for program in graphics_bars hello_text; do
    reference "$program" --run "$TEST_PROGRAMS/$program.vz" --frames 150
    after_frames 150 "retroarch-$program" "$TEST_PROGRAMS/$program.vz"
    x_same "$WORK/retroarch-$program.png" "$WORK/$program.png" || fail "$program.vz: frame 150 is not tessel-run's"
    echo "$program.vz: frame 150 is tessel-run's, launched before frame 100"
done

# ---- RetroArch's window, driven like a user ------------------------------------

# command TEXT: one of RetroArch's network commands.
command() { printf '%s' "$1" >"/dev/udp/127.0.0.1/$PORT"; }

# command_until COMMAND LOG-PATTERN: sends the command again each second
# until RetroArch's log says it was carried out (now and then one went
# unheard); up to 10 s.
command_until() {
    for _ in $(seq 10); do
        command "$1"
        for _ in $(seq 10); do
            grep -q "$2" "$WORK/retroarch.log" && return 0
            sleep 0.1
        done
    done
    fail "RetroArch did not carry out $1"
}

# wait_for_picture NAME REFERENCE...: asks RetroArch for screenshots until
# one equals a reference (the cursor blinks: one for each phase); up to 20 s.
wait_for_picture() {
    local name=$1 shot reference
    shift
    for _ in $(seq 40); do
        rm -f "$WORK"/shots/*.png
        command SCREENSHOT
        for _ in $(seq 20); do
            shot=$(ls "$WORK"/shots/*.png 2>/dev/null | head -1 || true)
            [ -n "$shot" ] && break
            sleep 0.1
        done
        if [ -n "$shot" ]; then
            sleep 0.1  # written whole
            for reference in "$@"; do
                if x_same "$shot" "$WORK/$reference.png"; then
                    cp "$shot" "$SCREENSHOTS/retroarch-$name.png"
                    return 0
                fi
            done
        fi
        sleep 0.4
    done
    [ -n "$shot" ] && cp "$shot" "$SCREENSHOTS/retroarch-$name-failure.png"
    fail "RetroArch does not show the picture of $*"
}

(exec dbus-run-session -- bash -c 'echo $$ >"$0"; exec retroarch --verbose -L "$1" --appendconfig "$2"' \
    "$WORK/retroarch.pid" "$CORE_PATH" "$WORK/retroarch.cfg" >"$WORK/retroarch.log" 2>&1) &
STARTED+=($!)
for _ in $(seq 50); do [ -s "$WORK/retroarch.pid" ] && break; sleep 0.1; done
STARTED+=("$(cat "$WORK/retroarch.pid")")
WINDOW=$(x_window '^RetroArch') || fail "no RetroArch window"
xdotool windowfocus --sync "$WINDOW"

reference boot-dark --frames 161
wait_for_picture running boot boot-dark

# Typed on the X keyboard, each key held 150 ms: the keys reach the machine.
x_type 'D 0\n'
reference typed-lit --type 'D 0\n' --frames 145
reference typed-dark --type 'D 0\n' --frames 161
wait_for_picture typed typed-lit typed-dark
echo "keys typed into RetroArch's window: D 0 Return shows tessel-run --type's picture"

# A state saved through the network commands; the colour test card
# changes the whole screen; the state loaded brings the prompt back.
command_until SAVE_STATE 'Saving state ".*Tessel.state"'
x_type 'C\n'
reference card --type 'C\n' --frames 145
wait_for_picture card card
command_until LOAD_STATE 'Loading state ".*Tessel.state"'
wait_for_picture loaded typed-lit typed-dark
echo "SAVE_STATE, C Return (the colour test card), LOAD_STATE: the D 0 picture is back"
