#!/usr/bin/env bash
# Static checks of Tessel's own sources (z80/, machine/, shell/, hosts/, rom/,
# tools/): clang-tidy with the checks of .clang-tidy, over the compile
# database of a build (default: build, the release build of tools/test.sh),
# and cppcheck with tools/cppcheck-suppressions.txt. Any finding fails.
#   tools/lint.sh [BUILD_DIRECTORY]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build}
database=$build/compile_commands.json
[ -f "$database" ] || { echo "lint: no $database: configure and build first" >&2; exit 1; }

# Our sources in the database; tests and generated files are left out.
mapfile -t sources < <(grep -o '"file": "[^"]*"' "$database" | sed 's/"file": "\(.*\)"/\1/' |
  grep -E "^$root/(z80|machine|shell|hosts/[a-z]+|rom|tools)/[^/]+\.cpp$" | sort -u)
[ ${#sources[@]} -gt 0 ] || { echo "lint: no sources of ours in $database" >&2; exit 1; }

echo "lint: clang-tidy on ${#sources[@]} files"
# The release build's LTO flags are GCC's; clang only needs to parse.
printf '%s\n' "${sources[@]}" |
  xargs -P 2 -n 4 clang-tidy -p "$build" --quiet --extra-arg=-Wno-ignored-optimization-argument \
    --extra-arg=-Wno-unknown-warning-option 2> >(grep -v -E '^[0-9]+ warnings? (generated|treated as errors)' >&2)

echo "lint: cppcheck"
cppcheck --enable=warning,style,performance,portability --std=c++20 --language=c++ \
  --inline-suppr --suppress=missingIncludeSystem --suppressions-list=tools/cppcheck-suppressions.txt \
  --error-exitcode=1 -q -j 2 -I . z80 machine shell hosts rom tools

echo "lint: no findings"
