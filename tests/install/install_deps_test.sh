#!/usr/bin/env bash
# The package lists of tools/install-deps.sh: what building and running need
# names none of what only the tests need, and a build of the programs alone
# (tools/run.sh) looks for none of the test tools.
#   install_deps_test.sh SCRATCH_DIR
set -euo pipefail
top="$(cd "$(dirname "$0")/../.." && pwd)"
scratch=${1:?scratch folder}
fail() { echo "FAIL: $*" >&2; exit 1; }

run=$("$top/tools/install-deps.sh" --list run)
tests=$("$top/tools/install-deps.sh" --list test)
all=$("$top/tools/install-deps.sh" --list all)
[ -n "$run" ] && [ -n "$tests" ] || fail "an empty list"
[ "$all" = "$run"$'\n'"$tests" ] || fail "all is not run and then test"

both=$(comm -12 <(sort -u <<<"$run") <(sort -u <<<"$tests"))
[ -z "$both" ] || fail "in both lists: $both"
for package in libgtest-dev googletest xvfb xdotool imagemagick wine wine64 g++-mingw-w64-x86-64-win32 \
    clang clang-tidy cppcheck valgrind desktop-file-utils appstream dpkg-dev emscripten chromium nodejs retroarch; do
  grep -qx "$package" <<<"$run" && fail "running names the test-only package $package"
  grep -qx "$package" <<<"$tests" || fail "testing does not name $package"
done
for package in cmake g++ z80asm libgtk-3-dev libsdl2-dev libpng-dev; do
  grep -qx "$package" <<<"$run" || fail "running does not name $package"
done
echo "run: $(tr '\n' ' ' <<<"$run")"
echo "test adds: $(tr '\n' ' ' <<<"$tests")"

# The programs alone configure without GoogleTest and X11.
rm -rf "$scratch"
cmake -S "$top" -B "$scratch" -DCMAKE_BUILD_TYPE=Release -DTESSEL_TESTS=OFF >"$scratch.log" 2>&1 ||
  { cat "$scratch.log" >&2; fail "the programs alone do not configure"; }
grep -E '^(GTest|X11)_[A-Za-z_]*:' "$scratch/CMakeCache.txt" && fail "the programs alone look for test tools"
rm -rf "$scratch" "$scratch.log"
echo "the programs alone configure without the test tools"
