#!/usr/bin/env bash
# The desktop program's sound through SDL: with SDL's disk driver the file
# holds what a sound card would have played, and a program that pushes the
# speaker at 1 kHz is heard at 1 kHz. With no usable driver, or ALSA with no
# device, the program runs on, silent, and says so in one line.
source "$(dirname "$0")/desktop_lib.sh"
needs python3

x_start

export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$WORK/played.raw
start_tessel
locate_picture "$WINDOW"
wait_for_text "$(expected_text --frames 150)"
load_path "$TEST_PROGRAMS/tone.vz"
sleep 4
"$CLOSE_WINDOW" "$WINDOW"
wait_exit "$TESSEL_PID"
[ "$EXIT_STATUS" = 1 ] || fail "exit status $EXIT_STATUS"
grep -q "no sound" "$WORK/tessel.err" && fail "the disk driver was not used: $(cat "$WORK/tessel.err")"

# Signed 16-bit mono at 48 kHz, as the program opened the device. The last
# two seconds hold the tone; its frequency comes from the median period
# between rising zero crossings, which a loaded machine cannot spoil: late
# frames leave gaps of silence between stretches of tone, and stretching
# moves a period by 0.42 % at most.
python3 - "$WORK/played.raw" <<'PY' || fail "the tone is not in what SDL played"
import statistics, struct, sys
data = open(sys.argv[1], 'rb').read()
samples = struct.unpack('<%dh' % (len(data) // 2), data[:len(data) // 2 * 2])
tail = samples[-2 * 48000:]
rising = [i - 1 + -tail[i - 1] / (tail[i] - tail[i - 1]) for i in range(1, len(tail)) if tail[i - 1] < 0 <= tail[i]]
periods = [b - a for a, b in zip(rising, rising[1:])]
frequency = 48000 / statistics.median(periods) if periods else 0
print("played: %.1f s, tone %.2f Hz in %d periods, peaks %d and %d" % (len(samples) / 48000, frequency, len(periods), max(tail), min(tail)))
sys.exit(0 if abs(frequency - 1000) < 5 and len(periods) > 200 and max(tail) > 10000 and min(tail) < -10000 else 1)
PY

# silent_start DRIVER: the program runs and types with no sound, and the only
# lines on standard error are its own, one of them saying so.
silent_start() {
    export SDL_AUDIODRIVER=$1
    start_tessel
    locate_picture "$WINDOW"
    x_type 'D 38\n'
    wait_for_text "$(expected_text --type 'D 38\n')"
    still_running || fail "$1: the program ended"
    said=$(grep -c "no sound" "$WORK/tessel.err")
    [ "$said" = 1 ] || fail "$1: said $said times that there is no sound"
    others=$(grep -v "^tessel: " "$WORK/tessel.err" || true)
    [ -z "$others" ] || fail "$1: more than our own lines on standard error: $others"
    echo "$1: $(grep "no sound" "$WORK/tessel.err")"
    "$CLOSE_WINDOW" "$WINDOW"
    wait_exit "$TESSEL_PID"
}

silent_start no-such-driver
# An empty ALSA configuration has no default device, whatever this machine has.
: > "$WORK/empty-alsa.conf"
export ALSA_CONFIG_PATH=$WORK/empty-alsa.conf
silent_start alsa
