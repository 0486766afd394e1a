#!/usr/bin/env bash
# The main window: its title, its icon (the drawing the Windows program's
# icon comes from), its instance name (the desktop entry's), its fixed size with the client area under the menu bar,
# the hints that keep a window manager from resizing or maximising it while
# letting it minimise, and an outside resize that does not stick.
source "$(dirname "$0")/desktop_lib.sh"
needs xprop

x_start
start_tessel

[ "$(xdotool getwindowname "$WINDOW")" = "Tessel - VZ200/300 Emulator" ] || fail "window title"

# The icon property holds width, height, then one 0xAARRGGBB value a pixel.
"$MAKE_ICON" "$ICON_DRAWING" "$WORK/icon.rgba" || fail "make_icon"
expected=$( (echo 32; echo 32; od -An -v -tu1 -w4 "$WORK/icon.rgba" |
    awk '{ printf "%.0f\n", $4 * 16777216 + $1 * 65536 + $2 * 256 + $3 }') | paste -sd, | sed 's/,/, /g')
shown=$(xprop -notype -id "$WINDOW" 32c _NET_WM_ICON | sed 's/^_NET_WM_ICON = //')
[ "$shown" = "$expected" ] || fail "the window icon is not the drawing: ${shown:0:80}..."
echo "window icon: the 32x32 drawing"

# Desktops match the window to its menu entry by the instance name.
instance=$(xprop -id "$WINDOW" WM_CLASS | sed -n 's/^WM_CLASS(STRING) = "\([^"]*\)".*/\1/p')
[ "$instance.desktop" = "$(basename "$DESKTOP_ENTRY")" ] || fail "instance name $instance, entry $DESKTOP_ENTRY"
echo "WM_CLASS instance $instance, as the desktop entry is named"

eval "$(xdotool getwindowgeometry --shell "$WINDOW" | grep -E '^(WIDTH|HEIGHT)=')"
[ "$WIDTH" = 322 ] || fail "window width $WIDTH, not 322"
MENU_HEIGHT=$((HEIGHT - 242))
[ "$MENU_HEIGHT" -gt 10 ] && [ "$MENU_HEIGHT" -lt 60 ] || fail "no menu bar above a 242-row client area (height $HEIGHT)"
echo "window ${WIDTH}x$HEIGHT, menu bar $MENU_HEIGHT rows"

hints=$(xprop -id "$WINDOW" WM_NORMAL_HINTS)
grep -q "minimum size: $WIDTH by $HEIGHT" <<<"$hints" || fail "minimum size hint: $hints"
grep -q "maximum size: $WIDTH by $HEIGHT" <<<"$hints" || fail "maximum size hint: $hints"

# Motif hints: functions and decorations "all except" resize and maximise;
# minimise and close stay.
motif=$(xprop -id "$WINDOW" _MOTIF_WM_HINTS | sed 's/.*= //')
IFS=', ' read -r -a fields <<<"$motif"
functions=$((fields[1]))
decorations=$((fields[2]))
MWM_ALL=0x01 MWM_RESIZE=0x02 MWM_MINIMIZE=0x08 MWM_MAXIMIZE=0x10 MWM_CLOSE=0x20
[ $((functions & MWM_ALL)) != 0 ] && [ $((functions & MWM_RESIZE)) != 0 ] && [ $((functions & MWM_MAXIMIZE)) != 0 ] ||
    fail "functions $motif: resize and maximise not taken away"
[ $((functions & MWM_MINIMIZE)) = 0 ] && [ $((functions & MWM_CLOSE)) = 0 ] || fail "functions $motif: minimise or close taken away"
DECOR_RESIZEH=0x04 DECOR_MINIMIZE=0x20 DECOR_MAXIMIZE=0x40
[ $((decorations & DECOR_RESIZEH)) != 0 ] && [ $((decorations & DECOR_MAXIMIZE)) != 0 ] &&
    [ $((decorations & DECOR_MINIMIZE)) = 0 ] || fail "decorations $motif"

screenshot window >/dev/null

# Nothing here enforces the hints, so resize from outside: the window goes back.
xdotool windowsize "$WINDOW" 640 480
for _ in $(seq 50); do
    sleep 0.1
    size=$(xdotool getwindowgeometry "$WINDOW" | sed -n 's/.*Geometry: //p')
    [ "$size" = "${WIDTH}x$HEIGHT" ] && break
done
[ "$size" = "${WIDTH}x$HEIGHT" ] || fail "resized to $size"
still_running || fail "the program ended"
echo "resize to 640x480 undone: $size"
