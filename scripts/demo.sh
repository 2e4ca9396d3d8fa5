#!/usr/bin/env bash
# The main job on a local default: a local FTP server with sample product data
# and Sendora pointed at it, then a local HTTP server with an update and
# PelmoraVer3Up pointed at it. Without a desktop, both run under Xvfb and
# screenshots are saved.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/demo-sendora.sh
scripts/demo-updater.sh
