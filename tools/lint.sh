#!/usr/bin/env bash
# Static checks of Tessel's own sources (z80/, machine/, shell/, hosts/, rom/,
# tools/): clang-tidy with the checks of .clang-tidy, over the compile
# database of a build (default: build, the release build of tools/test.sh)
# and over those of its Windows and browser builds, which the tests make in
# its windows/ and web/ folders (tests/win32, tests/web); cppcheck with
# tools/cppcheck-suppressions.txt; and the page's JavaScript with
# tools/lint-page.cjs. Any finding fails.
#   tools/lint.sh [BUILD_DIRECTORY]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build}
database=$build/compile_commands.json
[ -f "$database" ] || { echo "lint: no $database: configure and build first" >&2; exit 1; }

# Our sources in a database; tests and generated files are left out.
ours() {
  grep -o '"file": "[^"]*"' "$1" | sed 's/"file": "\(.*\)"/\1/' |
    grep -E "^$root/(z80|machine|shell|hosts/[a-z0-9]+|rom|tools)/[^/]+\.cpp$" | sort -u
}

# clang-tidy over the files on standard input, with a database's commands
# and clang's further arguments. The release build's LTO flags are GCC's;
# clang only needs to parse.
tidy() {
  xargs -r -P 2 -n 4 clang-tidy -p "$1" --quiet --extra-arg=-Wno-ignored-optimization-argument \
    --extra-arg=-Wno-unknown-warning-option "${@:2}" 2> >(grep -v -E '^[0-9]+ warnings? (generated|treated as errors)' >&2)
}

mapfile -t sources < <(ours "$database")
[ ${#sources[@]} -gt 0 ] || { echo "lint: no sources of ours in $database" >&2; exit 1; }
echo "lint: clang-tidy on ${#sources[@]} files"
printf '%s\n' "${sources[@]}" | tidy "$build"

# The cross compilers' own headers, which clang does not find by itself:
# mingw-w64's C++ library and Windows headers (its GCC's own, clang has),
# and Emscripten's target, defines and system root. Windows' headers spell
# their long constants with a pasted lowercase l (__MSABI_LONG), which
# cert-dcl16-c would flag at every use.
crossArguments() {
  case "$1" in
    windows)
      local compiler
      compiler=$(grep -o -m 1 '/[^ "]*mingw32-g++[^ "]*' "$build/windows/compile_commands.json")
      echo "--extra-arg=--target=x86_64-w64-mingw32"
      "$compiler" -E -x c++ - -v </dev/null 2>&1 | sed -n '/^#include <...>/,/^End of search list/s/^ //p' | xargs realpath -m |
        grep -v -E '^/usr/lib/gcc/.*/include(-fixed)?$' | sed 's/^/--extra-arg=-isystem/'
      echo "--checks=-cert-dcl16-c" ;;
    web)
      em++ --cflags | sed -E 's/-mllvm [^ ]+//g' | tr ' ' '\n' | grep . | sed 's/^/--extra-arg=/' ;;
  esac
}

# The files only the Windows and browser builds compile (their hosts and
# programs); what the native build compiles too has been checked above.
for cross in windows web; do
  crossDatabase=$build/$cross/compile_commands.json
  if [ ! -f "$crossDatabase" ]; then
    echo "lint: no $crossDatabase (its tests build it): its own files are not checked" >&2
    continue
  fi
  mapfile -t only < <(ours "$crossDatabase" | grep -v -x -F -f <(printf '%s\n' "${sources[@]}"))
  echo "lint: clang-tidy on ${#only[@]} files of the $cross build"
  mapfile -t arguments < <(crossArguments "$cross")
  printf '%s\n' "${only[@]}" | tidy "$build/$cross" "${arguments[@]}"
done

echo "lint: cppcheck"
cppcheck --enable=warning,style,performance,portability --std=c++20 --language=c++ \
  --inline-suppr --suppress=missingIncludeSystem --suppressions-list=tools/cppcheck-suppressions.txt \
  --error-exitcode=1 -q -j 2 -I . z80 machine shell hosts rom tools

echo "lint: the page's JavaScript"
NODE_PATH=/usr/share/nodejs node tools/lint-page.cjs

echo "lint: no findings"
