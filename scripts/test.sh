#!/usr/bin/env bash
# Installs what is missing, configures, builds and runs every test.
#   scripts/test.sh                 normal build in ./build
#   scripts/test.sh --sanitize      AddressSanitizer + UBSan build in ./build-asan
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD_DIR=build
CMAKE_ARGS=()
if [[ "${1:-}" == "--sanitize" ]]; then
    BUILD_DIR=build-asan
    CMAKE_ARGS+=(-DSANITIZE=ON -DBUILD_BENCHMARKS=OFF)
fi

scripts/deps.sh
scripts/prepare-test-host.sh

cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${CMAKE_ARGS[@]}"
cmake --build "$BUILD_DIR" --parallel "$(nproc)"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$BUILD_DIR" --output-on-failure --timeout 600 -j2
