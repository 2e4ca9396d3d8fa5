#!/usr/bin/env bash
# PelmoraVer3Up on a local default: installs what is missing, builds, puts the
# updater, the archiver library and an installed product (version 104) into a
# program folder, serves a version page (105), a notice page and an update
# archive made by our archiver library from a local HTTP server, and starts
# the updater pointed at it: on the desktop when there is one, otherwise under
# Xvfb, where it clicks アップデート開始 and saves screenshots.
#   BUILD_DIR   build folder (default: build)
#   DEMO_DIR    where the program folder, the web folder and screenshots go
#               (default: demo-run/updater)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib-xvfb.sh
source scripts/lib-demo.sh
ROOT=$PWD
BUILD_DIR=${BUILD_DIR:-build}
DEMO_DIR=${DEMO_DIR:-$ROOT/demo-run/updater}

scripts/deps.sh
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD_DIR" --target PelmoraVer3Up unlha32
BIN=$ROOT/$BUILD_DIR/bin

rm -rf "$DEMO_DIR"
mkdir -p "$DEMO_DIR"
DEMO_DIR=$(cd "$DEMO_DIR" && pwd)
APP=$DEMO_DIR/program
SITE=$DEMO_DIR/site
NEW=$DEMO_DIR/new-release
SHOTS=$DEMO_DIR/screenshots
export XDG_CONFIG_HOME=$DEMO_DIR/config
mkdir -p "$APP" "$SHOTS" "$XDG_CONFIG_HOME/RedudUrazE"

# The program folder as on a customer's machine: the updater, the archiver
# beside it and the installed product.
cp "$BIN/PelmoraVer3Up" "$BIN/libunlha32.so" "$APP/"
write_installed_product "$APP"
printf '[Settings]\nPelmora3VerKaku=104\n' >"$XDG_CONFIG_HOME/RedudUrazE/RedudUrazE.conf"
write_update_site "$SITE" "$BIN/libunlha32.so" "$NEW"

XVFB_PID=""
cleanup() {
    [[ -n "${HTTP_PID:-}" ]] && kill "$HTTP_PID" 2>/dev/null || true
    [[ -n "$XVFB_PID" ]] && kill "$XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT
start_demo_http_server "$SITE" "$DEMO_DIR/http.log"
echo "Version page: ${UPDATER_BASE_URL}Verpelmora3.html (installed version 104, latest 105)"
echo "Program folder: $APP"

report() {
    echo "Program folder after the run:"
    ls -l "$APP"
    [[ -f "$APP/product.log" ]] && cat "$APP/product.log"
    echo "Installed version now: $(grep Pelmora3VerKaku "$XDG_CONFIG_HOME/RedudUrazE/RedudUrazE.conf")"
}

if [[ -n "${DISPLAY:-}" ]]; then
    echo "Starting PelmoraVer3Up on $DISPLAY: press アップデート開始 to update."
    "$APP/PelmoraVer3Up" || true
    sleep 1
    report
    exit 0
fi

# No desktop: a virtual one, and pictures of what it shows.
start_virtual_desktop
"$APP/PelmoraVer3Up" >"$DEMO_DIR/updater.log" 2>&1 &
UPDATER_PID=$!
WINDOW=$(wait_for_window "Zarazedizi3Revudiv")
import -window root "$SHOTS/updater-offer.png"
if [[ -n "$WINDOW" ]]; then
    # アップデート開始 sits at 3840, 6480 twips (1575 x 375): its middle at 96 dpi.
    xdotool mousemove --window "$WINDOW" 308 444 click 1
    sleep 2
    import -window root "$SHOTS/updater-done.png"
    # The completion message: OK ends the updater, which starts the new product.
    xdotool key --clearmodifiers Return
fi
for _ in $(seq 50); do kill -0 "$UPDATER_PID" 2>/dev/null || break; sleep 0.1; done
kill "$UPDATER_PID" 2>/dev/null || true
sleep 1
echo "Screenshots (PelmoraVer3Up under Xvfb):"
echo "  $SHOTS/updater-offer.png"
echo "  $SHOTS/updater-done.png"
report
