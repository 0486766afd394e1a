#!/usr/bin/env bash
# Smoke test of the Windows program, tessel.exe, under wine on a virtual X
# display: the window appears with its title; File > Load opens the "Open VZ
# File" dialog, which takes the keyboard (Escape cancels it); typing on the
# open ROM reaches the picture, pixel for pixel as the headless runner draws
# the same text; a middle click on the picture types the clipboard's text;
# File > Load of a program typed into the dialog runs it, as in the headless
# runner, and so does a program file dropped on the window (wine turns an
# XDND drop into WM_DROPFILES); closing the window ends the process with
# status 1.
#
#   smoke_test.sh --tessel-run PATH --key-codes PATH [--x-source PATH]
#                 [--host-tools DIR] [--build-dir DIR] [--exe PATH] [--out DIR]
#
# Without --exe it builds tessel.exe first (tools/build-windows.sh) in
# --build-dir, taking the converters from --host-tools (a native build's
# tools folder) when given. Without --x-source (the tests' X client that
# drops and owns selections) the paste and the drop are left out.
# Screenshots go to --out (default: ./windows-smoke). Exits 77 (skipped) when
# mingw-w64 or wine is not installed.
set -euo pipefail

top="$(cd "$(dirname "$0")/../.." && pwd)"
tessel_run=""
key_codes=""
x_source=""
host_tools=""
build_dir="$top/build-win"
exe=""
out="$PWD/windows-smoke"

while [ $# -gt 0 ]; do
  case "$1" in
    --tessel-run) tessel_run="$2"; shift 2 ;;
    --key-codes) key_codes="$2"; shift 2 ;;
    --x-source) x_source="$2"; shift 2 ;;
    --host-tools) host_tools="$2"; shift 2 ;;
    --build-dir) build_dir="$2"; shift 2 ;;
    --exe) exe="$2"; shift 2 ;;
    --out) out="$2"; shift 2 ;;
    *) echo "smoke_test: unknown option $1" >&2; exit 2 ;;
  esac
done

started=$SECONDS
say() { echo "[$((SECONDS - started))s] $*"; }
fail() { echo "FAILED: $*" >&2; exit 1; }

source "$top/tests/win32/wine_lib.sh"
wine_require
for tool in Xvfb xdotool convert-im6 compare-im6 import; do
  command -v "$tool" >/dev/null || fail "$tool is missing (apt-get install xvfb xdotool imagemagick)"
done
[ -x "$tessel_run" ] || fail "--tessel-run must name the headless runner (build/tessel-run)"
[ -x "$key_codes" ] || fail "--key-codes must name the build's key_codes program"
tessel_run="$(realpath "$tessel_run")"
KEY_CODES="$(realpath "$key_codes")"
export KEY_CODES
source "$top/tests/support/x11.sh"

TITLE="Tessel - VZ200/300 Emulator"
DIALOG="Open VZ File"
TYPED='D 38\n'
PASTED=$'D 40\r\n'  # the clipboard's line end
PASTED_TYPED='D 40\n'

# Where the text sits in the 320x240 picture, which the window shows at
# client position (1, 1): 32 columns of 8 pixels, rows of 12.
TEXT_X=32
TEXT_Y=24
TEXT_WIDTH=256
ROW_HEIGHT=12
SETTLED_ROWS=15  # the last row holds the blinking cursor

work="$(mktemp -d /tmp/tessel-wine.XXXXXX)"
tessel_pid=""
STARTED=()  # the X server
cleanup() {
  set +e
  if [ -n "$tessel_pid" ] && kill -0 "$tessel_pid" 2>/dev/null; then kill "$tessel_pid"; fi
  wine_stop
  for pid in "${STARTED[@]}"; do kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

mkdir -p "$out"
rm -f "$out"/*.png

# ---- The program and the reference picture ---------------------------------

if [ -z "$host_tools" ]; then host_tools="$top/build-native-tools/tools"; fi
if [ -z "$exe" ]; then
  say "building tessel.exe in $build_dir"
  TESSEL_HOST_TOOLS="$host_tools" TESSEL_WIN_BUILD="$build_dir" "$top/tools/build-windows.sh" > "$work/build.log" 2>&1 ||
    { cat "$work/build.log" >&2; fail "the Windows build failed"; }
  exe="$build_dir/tessel.exe"
fi
[ -f "$exe" ] || fail "no $exe"
exe="$(realpath "$exe")"
say "tessel.exe: $(stat -c %s "$exe") bytes"

mkdir "$work/reference"
(cd "$work/reference" && "$tessel_run" --fast --type "$TYPED" --frames 300 --screenshot reference.png 2>/dev/null) ||
  fail "tessel-run could not draw the reference"
reference="$work/reference/reference.png"
cp "$reference" "$out/reference.png"
convert-im6 "$reference" -crop "${TEXT_WIDTH}x${ROW_HEIGHT}+${TEXT_X}+${TEXT_Y}" +repage "$work/banner.png"
convert-im6 "$reference" -crop "${TEXT_WIDTH}x$((SETTLED_ROWS * ROW_HEIGHT))+${TEXT_X}+${TEXT_Y}" +repage "$work/settled.png"

# ---- A display and a wine prefix of our own --------------------------------

x_start
wine_start_prefix "$work"

# ---- The window ----------------------------------------------------------------

# There is no sound card here. Wine plays through ALSA, and an ALSA null
# device as the default gives the program a sound device that takes its
# samples; without it (at the end) the program has none.
mkdir "$work/home"
printf 'pcm.!default {\n  type null\n}\n' > "$work/home/.asoundrc"
mkdir "$work/run"  # no machine files here: the open ROM and font run
cd "$work/run"
HOME="$work/home" wine "$exe" > "$work/tessel.log" 2>&1 &
tessel_pid=$!

window="$(x_window "^$TITLE\$" 60)" || fail "no window titled \"$TITLE\" within 60 s"
[ "$(xdotool getwindowname "$window")" = "$TITLE" ] || fail "the window title is \"$(xdotool getwindowname "$window")\""
say "window \"$TITLE\" is up"

# Find the picture in the window: the banner's first line, exactly.
picture_x=""
for _ in $(seq 30); do
  import -window "$window" "$work/window.png"
  found="$(compare-im6 -metric AE -subimage-search -dissimilarity-threshold 1 "$work/window.png" "$work/banner.png" null: 2>&1 || true)"
  if [[ "$found" =~ ^0\ @\ ([0-9]+),([0-9]+) ]]; then
    picture_x=$((BASH_REMATCH[1] - TEXT_X))
    picture_y=$((BASH_REMATCH[2] - TEXT_Y))
    break
  fi
  sleep 1
done
cp "$work/window.png" "$out/window.png"
[ -n "$picture_x" ] || fail "the open ROM's banner did not appear in the window (see $out/window.png)"
client_x=$((picture_x - 1))
client_y=$((picture_y - 1))
say "the open ROM runs; client area at ($client_x, $client_y) of the window"
! grep "tessel: no sound" "$work/tessel.log" || fail "the null sound device did not open"
say "the sound device is open"

# ---- File > Load ---------------------------------------------------------------

# The menu bar lies right above the client area; File is its first title and
# Load the first item of its menu. A click that came before the menu was up
# is tried again.
choose_load() {
  local id=""
  for _ in 1 2 3; do
    xdotool mousemove --window "$window" $((client_x + 14)) $((client_y - 9)) click 1
    sleep 1.5
    import -window root "$work/menu.png"
    xdotool mousemove --window "$window" $((client_x + 30)) $((client_y + 10)) click 1
    id="$(x_window "^$DIALOG\$" 15)" && break
  done
  convert-im6 "$work/menu.png" -crop 560x360+0+0 +repage "$out/menu.png"
  [ -n "$id" ] || fail "File > Load opened no \"$DIALOG\" window (see $out/menu.png)"
  echo "$id"
}

dialog="$(choose_load)"
sleep 1
import -window root "$work/dialog.png"
convert-im6 "$work/dialog.png" -crop 560x360+0+0 +repage "$out/open-dialog.png"
say "\"$DIALOG\" is open"

xdotool windowfocus --sync "$dialog"
sleep 0.5
x_hold Escape
x_window_gone "$dialog" 15 || fail "Escape did not close \"$DIALOG\": the dialog gets no keys"
say "Escape cancelled the dialog"

# wait_for_text NAME ROWS REFERENCE: waits up to 10 s until the first ROWS
# text rows of the window equal those of REFERENCE (a crop of tessel-run's
# picture); keeps the last window picture as NAME.png; sets DIFFERING.
wait_for_text() {
  local region="${TEXT_WIDTH}x$(($2 * ROW_HEIGHT))+$((picture_x + TEXT_X))+$((picture_y + TEXT_Y))"
  for _ in $(seq 20); do
    import -window "$window" "$work/$1.png"
    convert-im6 "$work/$1.png" -crop "$region" +repage "$work/$1-text.png"
    DIFFERING="$(x_differing "$work/$1-text.png" "$3")"
    [ "$DIFFERING" = "0" ] && break
    sleep 0.5
  done
  cp "$work/$1.png" "$out/$1.png"
}

# ---- Typing ----------------------------------------------------------------------

xdotool windowfocus --sync "$window"
sleep 0.5
x_type "$TYPED"

wait_for_text typed "$SETTLED_ROWS" "$work/settled.png"
[ "$DIFFERING" = "0" ] ||
  fail "after typing, $DIFFERING pixels of the text differ from tessel-run's picture (see $out/typed.png, $out/reference.png)"
say "the typed command and its answer match tessel-run's picture"

# ---- Pasting -----------------------------------------------------------------------

# own_clipboard TEXT: another client owns the clipboard with TEXT, which wine
# hands to the program's clipboard; sets CLIPBOARD to what it says.
own_clipboard() {
  CLIPBOARD="$work/clipboard.out"
  "$x_source" clipboard "$1" 60 > "$CLIPBOARD" &
  STARTED+=("$!")
  for _ in $(seq 50); do grep -q ready "$CLIPBOARD" && return 0; sleep 0.1; done
  fail "no owner of the clipboard"
}

passed=7  # the checks above
if [ -n "$x_source" ]; then
  (cd "$work/reference" && "$tessel_run" --fast --type "$TYPED$PASTED_TYPED" --frames 400 --screenshot pasted.png 2>/dev/null) ||
    fail "tessel-run could not draw the pasted reference"
  convert-im6 "$work/reference/pasted.png" -crop "${TEXT_WIDTH}x$((SETTLED_ROWS * ROW_HEIGHT))+${TEXT_X}+${TEXT_Y}" +repage "$work/pasted-settled.png"
  own_clipboard "$PASTED"
  xdotool mousemove --window "$window" $((picture_x + 100)) $((picture_y + 100)) click 2
  wait_for_text pasted "$SETTLED_ROWS" "$work/pasted-settled.png"
  [ "$DIFFERING" = "0" ] ||
    fail "after a middle click, $DIFFERING pixels of the text differ from tessel-run's picture (see $out/pasted.png)"
  say "a middle click typed the clipboard's text, as tessel-run types it"
  passed=$((passed + 1))
else
  say "no --x-source: paste and drop left out"
fi

# ---- Loading a program -----------------------------------------------------------

# Fills the screen with the 64 characters and stops, interrupts off: the
# same picture whatever was on the screen. Machine code at 0x8000:
#   DI / LD HL,7000h / loop: LD A,L / AND 3Fh / LD (HL),A / INC HL
#   LD A,H / CP 72h / JR NZ,loop / JR $
printf '\xf3\x21\x00\x70\x7d\xe6\x3f\x77\x23\x7c\xfe\x72\x20\xf6\x18\xfe' > "$work/fill.bin"
"$host_tools/tessel_make_vz" "$work/fill.bin" "$work/run/fill.vz" "TESSEL FILL" 0xF1 0x8000 ||
  fail "make_vz could not write fill.vz"
(cd "$work/reference" && "$tessel_run" --fast --load "$work/run/fill.vz" --load-at 60 --frames 120 --screenshot fill.png 2>/dev/null) ||
  fail "tessel-run could not draw the loaded program"
cp "$work/reference/fill.png" "$out/fill-reference.png"
convert-im6 "$work/reference/fill.png" -crop "${TEXT_WIDTH}x$((16 * ROW_HEIGHT))+${TEXT_X}+${TEXT_Y}" +repage "$work/filled.png"

dialog="$(choose_load)"
xdotool windowfocus --sync "$dialog"
sleep 0.5
# With its extension: wine's dialog checks that a file exists before it
# adds the default extension, so "fill" alone is refused there.
xdotool type --delay 120 fill.vz
x_hold Return
x_window_gone "$dialog" 15 || fail "\"$DIALOG\" did not accept fill.vz"

wait_for_text loaded 16 "$work/filled.png"
[ "$DIFFERING" = "0" ] ||
  fail "after File > Load of fill.vz, $DIFFERING pixels differ from tessel-run's picture (see $out/loaded.png)"
say "File > Load ran fill.vz, as in tessel-run"

# ---- Dropping a program ------------------------------------------------------------

# Fills the screen with spaces and stops, interrupts off:
#   DI / LD HL,7000h / loop: LD (HL),20h / INC HL / LD A,H / CP 72h
#   JR NZ,loop / JR $
if [ -n "$x_source" ]; then
  printf '\xf3\x21\x00\x70\x36\x20\x23\x7c\xfe\x72\x20\xf8\x18\xfe' > "$work/blank.bin"
  "$host_tools/tessel_make_vz" "$work/blank.bin" "$work/run/blank.vz" "TESSEL BLANK" 0xF1 0x8000 ||
    fail "make_vz could not write blank.vz"
  (cd "$work/reference" && "$tessel_run" --fast --load "$work/run/blank.vz" --load-at 60 --frames 120 --screenshot blank.png 2>/dev/null) ||
    fail "tessel-run could not draw the dropped program"
  convert-im6 "$work/reference/blank.png" -crop "${TEXT_WIDTH}x$((16 * ROW_HEIGHT))+${TEXT_X}+${TEXT_Y}" +repage "$work/blanked.png"
  "$x_source" drop "$window" files "$work/run/blank.vz" || fail "wine did not take the drop"
  wait_for_text dropped 16 "$work/blanked.png"
  [ "$DIFFERING" = "0" ] ||
    fail "after dropping blank.vz, $DIFFERING pixels differ from tessel-run's picture (see $out/dropped.png)"
  say "a dropped blank.vz ran, as in tessel-run"
  passed=$((passed + 1))
fi

# ---- Closing -----------------------------------------------------------------------

# The close box is the last button of the title bar, at the window's top right.
width="$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')"
status=""
for _ in 1 2 3; do
  x_window "^$TITLE\$" 1 >/dev/null && xdotool mousemove --window "$window" $((width - 13)) 11 click 1
  for _ in $(seq 50); do
    if ! kill -0 "$tessel_pid" 2>/dev/null; then
      status=0
      wait "$tessel_pid" || status=$?
      break 2
    fi
    sleep 0.2
  done
done
[ -n "$status" ] || fail "the process is still running after three clicks on the close box"
tessel_pid=""
[ "$status" = "1" ] || fail "the process ended with status $status, not 1"
say "closing the window ended the process with status 1"

# ---- Without a sound device ----------------------------------------------------------

mkdir "$work/home-silent"
HOME="$work/home-silent" wine "$exe" > "$work/silent.log" 2>&1 &
tessel_pid=$!
window="$(x_window "^$TITLE\$" 60)" || fail "no window without a sound device"
for _ in $(seq 30); do
  import -window "$window" "$work/silent.png"
  found="$(compare-im6 -metric AE -subimage-search -dissimilarity-threshold 1 "$work/silent.png" "$work/banner.png" null: 2>&1 || true)"
  [[ "$found" =~ ^0\ @ ]] && break
  sleep 1
done
cp "$work/silent.png" "$out/silent.png"
[[ "$found" =~ ^0\ @ ]] || fail "without a sound device the open ROM did not come up (see $out/silent.png)"
grep -q "^tessel: no sound (no waveOut device); running silent" "$work/silent.log" ||
  fail "no word about the missing sound device: $(grep -v '^ALSA' "$work/silent.log")"
kill "$tessel_pid"
tessel_pid=""
say "without a sound device it runs silent and says so"
passed=$((passed + 1))

echo "windows smoke: $passed passed, 0 failed"
