#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and gives each a short run, starting
# from its seed corpus in fuzz/<target>/corpus when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."
WITH_FUZZ=1 scripts/deps.sh

BUILD_DIR=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DBUILD_FUZZERS=ON -DBUILD_TESTING=OFF -DBUILD_BENCHMARKS=OFF -DBUILD_PROGRAMS=OFF
cmake --build "$BUILD_DIR" --parallel "$(nproc)"

shopt -s nullglob
for fuzzer in "$BUILD_DIR"/bin/fuzz_*; do
    name=$(basename "$fuzzer")
    work="$BUILD_DIR/corpus/$name"
    mkdir -p "$work"
    seeds=()
    [[ -d "fuzz/${name#fuzz_}/corpus" ]] && seeds=("fuzz/${name#fuzz_}/corpus")
    echo "== $name"
    "$fuzzer" -max_total_time="${FUZZ_SECONDS:-45}" -rss_limit_mb=2048 -timeout=10 "$work" "${seeds[@]}"
done
