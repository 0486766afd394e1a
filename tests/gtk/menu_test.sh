#!/usr/bin/env bash
# Every menu item but Load does nothing: File > Save and File > Exit,
# the five Options items and Help > About open nothing and end nothing; the
# cursor still blinks and typing still works afterwards. Each menu is shown
# open once for the record.
source "$(dirname "$0")/desktop_lib.sh"

x_start
start_booted

# The menus as they drop down.
for menu in 0 1 2; do
    xdotool key F10
    sleep 0.3
    for ((m = 0; m < menu; ++m)); do xdotool key Right; sleep 0.2; done
    screenshot "menu-$menu-open" >/dev/null
    xdotool key Escape
    sleep 0.2
    xdotool key Escape
    sleep 0.3
done

windows_before=$(xdotool search --onlyvisible --name . | sort | tr '\n' ' ')
# menu item pairs: File Save, File Exit, Options 0-4, Help About
for item in "0 1" "0 2" "1 0" "1 1" "1 2" "1 3" "1 4" "2 0"; do
    choose_menu_item $item
    sleep 0.3
    still_running || fail "menu item $item ended the program"
    windows_now=$(xdotool search --onlyvisible --name . | sort | tr '\n' ' ')
    [ "$windows_now" = "$windows_before" ] || fail "menu item $item opened a window"
done
echo "Save, Exit, Sound, Graphics, Keyboard, Joysticks, Memory, About: nothing happened"

# The emulation goes on: the cursor blinks through both phases, and keys type.
reference boot-lit --frames 200
reference boot-dark --frames 216
wait_for_client boot-lit
wait_for_client boot-dark
x_type OK
wait_for_text "$(expected_text --type OK)"
cp "$LAST_SHOT" "$SCREENSHOTS/menu-after.png"
echo "after the menus the cursor blinks and typing works"
