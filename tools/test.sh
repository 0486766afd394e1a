#!/usr/bin/env bash
# Installs what is needed, builds Tessel and runs every test: the release
# build with all its tests (and the browser page, built and tried in
# chromium), the sanitizer build's unit and integration tests,
# the clang build's, the static checks, short runs of the fuzz targets, and
# the other configurations the project offers (LTO off, GTK off), built.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh test

# Builds of the same sources with the same flags share their objects.
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi

configure() { cmake -S . "${launcher[@]}" "$@"; }

# tools/run.sh builds the programs alone in the same folder.
configure -B build -DCMAKE_BUILD_TYPE=Release -DTESSEL_GTK=ON -DTESSEL_TESTS=ON
cmake --build build -j2
ctest --test-dir build --output-on-failure

# The sanitizer run repeats the unit and integration tests; the long
# processor suites, the tests of real windows, of RetroArch (which cannot
# load an instrumented core) and of the browser page, and the install tree
# stay with the first run.
configure -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSEL_SANITIZE=ON
cmake --build build-sanitize -j2
ctest --test-dir build-sanitize --output-on-failure -LE 'suite|desktop|libretro|windows|web|install'

# clang warns where g++ does not, and the other way round.
CXX=clang++ configure -B build-clang -DCMAKE_BUILD_TYPE=Release -DTESSEL_GTK=ON
cmake --build build-clang -j2
ctest --test-dir build-clang --output-on-failure -L 'unit|integration'

# clang-tidy and cppcheck over our sources, with the release build's database
# and its Windows and browser builds' (made by their tests above), and the
# page's JavaScript.
tools/lint.sh build

# Each fuzz target runs a bounded number of inputs from its seed corpus.
configure -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSEL_FUZZ=ON -DTESSEL_GTK=OFF
cmake --build build-fuzz -j2 --target fuzz_program_file fuzz_processor fuzz_keyboard fuzz_restore fuzz_tape
ctest --test-dir build-fuzz --output-on-failure -L fuzz

# The options must build too; their tests are the release build's.
configure -B build-no-lto -DCMAKE_BUILD_TYPE=Release -DTESSEL_LTO=OFF
cmake --build build-no-lto -j2
configure -B build-no-gtk -DCMAKE_BUILD_TYPE=Release -DTESSEL_GTK=OFF
cmake --build build-no-gtk -j2
