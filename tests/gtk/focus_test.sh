#!/usr/bin/env bash
# Activation is per application. A key held while another application takes
# the focus stays down for the machine (the open ROM repeats it) until ours is
# active again, and then reads as released. A key released while our menu has
# the keyboard reads as released at once. Our own Open dialog does not count
# as another application: typing works right after it.
source "$(dirname "$0")/desktop_lib.sh"
needs xmessage

x_start
start_booted

# Another application, out of the way of the picture.
xmessage -geometry +500+500 "another application" &
STARTED+=($!)
OTHER=$(find_window '^xmessage$')

# Q goes down here and comes up over there. The open ROM repeats a held key
# from 30 frames on, every 2 frames, and fills the line after about 1.8 s:
# the focus comes back well before that.
xdotool keydown q
sleep 0.3
xdotool windowfocus --sync "$OTHER"
xdotool keyup q
sleep 0.5
away=$(count_on_screen Q "$(screenshot away)")
xdotool windowfocus --sync "$WINDOW"
sleep 0.5
back1=$(count_on_screen Q "$(screenshot back-1)")
sleep 1
back2=$(count_on_screen Q "$(screenshot back-2)")
echo "inactive: $away Q; active again: $back1 then $back2 Q"
[ "$away" -gt 1 ] || fail "the held key did not stay down while inactive"
# A full line (30 characters) would stop the repeat by itself.
[ "$back1" -lt 30 ] || fail "the line filled up before the focus came back"
[ "$back1" -gt "$away" ] && [ "$back2" = "$back1" ] || fail "the key did not read as released once active again"

# K goes down, our menu takes the keyboard, K comes up inside the menu.
# (Q, K and J are letters that no text of the open ROM has.)
x_hold Return
xdotool keydown k
sleep 0.3
xdotool key F10
sleep 0.3
xdotool keyup k
sleep 1.5
menu_k=$(count_on_screen K "$(screenshot menu-open)")
xdotool key Escape
sleep 0.2
xdotool key Escape
sleep 1
after_k=$(count_on_screen K "$(screenshot menu-closed)")
echo "menu open: $menu_k K, closed: $after_k K"
[ "$menu_k" = 1 ] && [ "$after_k" = 1 ] || fail "a key released in the menu kept repeating"

# The Open dialog and back: no change of activation, keys work at once.
x_hold Return
choose_menu_item 0 0
DIALOG=$(find_window '^Open VZ File$')
xdotool windowfocus --sync "$DIALOG"
sleep 0.3
xdotool key Escape
x_window_gone "$DIALOG" || fail "the Open dialog stays"
x_type J
sleep 0.5
[ "$(count_on_screen J "$(screenshot after-dialog)")" = 1 ] || fail "no typing after the Open dialog"
still_running || fail "the program ended"
