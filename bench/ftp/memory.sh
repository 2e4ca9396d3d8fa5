#!/usr/bin/env bash
# Memory per listed entry of Sendora's window: bench_list_memory lists a folder
# of N entries from a local server (listing_server.py) into the real window
# and reports the peak growth of its resident memory per entry, at 100,000 and
# 1,000,000 entries (BENCH_SIZES to change). BENCH_BASELINE names another
# bench_list_memory (e.g. of an older build) to measure the same way.
#   bench/ftp/memory.sh [BUILD_DIR]        (default: build)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
BUILD_DIR="$(cd "${1:-$ROOT/build}" && pwd)"
SIZES=${BENCH_SIZES:-100000 1000000}
BENCH="$BUILD_DIR/bin/bench_list_memory"
[[ -x "$BENCH" ]] || { echo "build the bench_list_memory target first ($BENCH)" >&2; exit 1; }

for entries in $SIZES; do
    for binary in "$BENCH" ${BENCH_BASELINE:-}; do
        echo "== $binary, $entries entries"
        "$binary" "$entries"
    done
done
