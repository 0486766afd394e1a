#!/usr/bin/env bash
# Installs what is needed, builds Tessel twice (release, and with address and
# undefined-behaviour sanitizers) and runs the tests of both builds; then the
# static checks, and short runs of the fuzz targets (a clang build).
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh test

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DTESSEL_GTK=ON -DTESSEL_TESTS=ON
cmake --build build -j2
ctest --test-dir build --output-on-failure

# The sanitizer run repeats the unit and integration tests; the long
# processor suites and the tests of real windows stay with the first run.
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSEL_SANITIZE=ON
cmake --build build-sanitize -j2
ctest --test-dir build-sanitize --output-on-failure -LE 'suite|desktop|windows'

# clang-tidy and cppcheck over our sources, with the release build's database.
tools/lint.sh build

# Each fuzz target runs a bounded number of inputs from its seed corpus.
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSEL_FUZZ=ON -DTESSEL_GTK=OFF
cmake --build build-fuzz -j2 --target fuzz_program_file fuzz_processor fuzz_keyboard
ctest --test-dir build-fuzz --output-on-failure -L fuzz
