#!/usr/bin/env bash
# Installs what is needed, builds Tessel twice (release, and with address and
# undefined-behaviour sanitizers) and runs the tests of both builds.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j2
ctest --test-dir build --output-on-failure

# The sanitizer run repeats the unit and integration tests; the long
# processor suites and the tests of real windows stay with the first run.
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSEL_SANITIZE=ON
cmake --build build-sanitize -j2
ctest --test-dir build-sanitize --output-on-failure -LE 'suite|desktop|windows'
