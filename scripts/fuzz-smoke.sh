#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and gives each a short run.
set -euo pipefail
cd "$(dirname "$0")/.."
WITH_FUZZ=1 scripts/deps.sh

BUILD_DIR=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DBUILD_FUZZERS=ON -DBUILD_TESTING_SUITE=OFF -DBUILD_BENCHMARKS=OFF
cmake --build "$BUILD_DIR" --parallel "$(nproc)"

shopt -s nullglob
for fuzzer in "$BUILD_DIR"/bin/fuzz_*; do
    name=$(basename "$fuzzer")
    corpus="fuzz/corpus/${name#fuzz_}"
    mkdir -p "$BUILD_DIR/corpus/$name"
    echo "== $name"
    "$fuzzer" -max_total_time="${FUZZ_SECONDS:-60}" -rss_limit_mb=2048 -timeout=10 \
        "$BUILD_DIR/corpus/$name" $( [[ -d $corpus ]] && echo "$corpus" )
done
