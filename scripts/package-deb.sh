#!/usr/bin/env bash
# Builds the Debian package: the programs built in their own folder for the
# package's layout (/opt/sendora), then cpack. The package's path is the last
# line printed.
#   BUILD_DIR   build folder for the package (default: build-deb)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build-deb}

WITH_PACKAGING=1 scripts/deps.sh >&2
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
    -DSENDORA_DEBIAN_PACKAGE=ON -DBUILD_TESTING=OFF -DBUILD_BENCHMARKS=OFF >&2
cmake --build "$BUILD_DIR" --parallel "$(nproc)" >&2
rm -f "$BUILD_DIR"/sendora_*.deb
(cd "$BUILD_DIR" && cpack -G DEB) >&2
ls "$(cd "$BUILD_DIR" && pwd)"/sendora_*.deb
