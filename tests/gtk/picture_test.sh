#!/usr/bin/env bash
# The picture in the window is tessel-run's picture of the same machine state,
# pixel for pixel, at client (1, 1) on the black background; at a desktop
# scale of 2 every pixel is a 2x2 block of the same colour, nothing blurred.
source "$(dirname "$0")/desktop_lib.sh"

x_start

# The open ROM's boot screen; its cursor blinks every 16 frames.
reference boot-lit --frames 200
reference boot-dark --frames 216
x_same "$WORK/boot-lit.png" "$WORK/boot-dark.png" && fail "the references do not differ in the cursor"

start_tessel
locate_picture "$WINDOW"
wait_for_client boot-lit boot-dark
cp "$LAST_SHOT" "$SCREENSHOTS/picture-boot.png"
echo "scale 1: client area equals tessel-run's picture on black"

# And the cursor keeps blinking: the other phase shows up too.
wait_for_client boot-lit
wait_for_client boot-dark

# Unmapped, as when minimised, the program goes on without drawing; mapped
# again, the picture is back.
xdotool windowunmap --sync "$WINDOW"
sleep 1
still_running || fail "the program ended while unmapped"
xdotool windowmap --sync "$WINDOW"
wait_for_client boot-lit boot-dark
echo "unmapped and mapped again: the picture is back"
kill "$TESSEL_PID"
wait "$TESSEL_PID" 2>/dev/null || true

GDK_SCALE=2
reference boot-lit --frames 200
reference boot-dark --frames 216
start_tessel
locate_picture "$WINDOW"
wait_for_client boot-lit boot-dark
cp "$LAST_SHOT" "$SCREENSHOTS/picture-boot-scale2.png"
echo "scale 2: client area equals tessel-run's picture grown 2x2, on black"
