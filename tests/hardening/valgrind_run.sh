#!/usr/bin/env bash
# tessel-run under Valgrind's memcheck, twice: a short and a longer run, both
# typing a monitor command and loading a program. Either run failing memcheck
# (an invalid access, an uninitialised value, a definite or indirect leak)
# fails the test, and so does heap still in use at exit that grows with the
# length of the run.
#   valgrind_run.sh TESSEL_RUN WORK_DIRECTORY
set -euo pipefail
run=$(realpath "$1")
work=$2
rm -rf "$work"
mkdir -p "$work"
cd "$work"

# A machine-code program of our own: with interrupts off, write 'A' at the
# top left of the screen and stay there.
printf 'VALGRIND TEST PROGRAM\xf1\x00\x80\xf3\x3e\x41\x32\x00\x70\x18\xfe' > program.vz

in_use_at_exit() {
  local frames=$1
  valgrind --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite,indirect \
    --track-origins=yes --log-file="memcheck-$frames.txt" \
    "$run" --fast --frames "$frames" --type 'D 9000\n' --type-at 40 \
    --load program.vz --load-at 150 --print-screen > "screen-$frames.txt" 2>/dev/null || {
    echo "memcheck found errors in a run of $frames frames:" >&2
    cat "memcheck-$frames.txt" >&2
    return 1
  }
  grep -o 'in use at exit: [0-9,]* bytes in [0-9,]* blocks' "memcheck-$frames.txt" | tr -d ,
}

short=$(in_use_at_exit 200)
long=$(in_use_at_exit 400)
echo "200 frames: $short"
echo "400 frames: $long"
if [ "$short" != "$long" ]; then
  echo "heap in use at exit grows with the run" >&2
  exit 1
fi
# The load ran: the program's 'A' (code 0x41) stands at the top left.
head -c 1 screen-400.txt | grep -q A || { echo "the loaded program did not run" >&2; cat screen-400.txt >&2; exit 1; }
echo "memcheck: no errors"
