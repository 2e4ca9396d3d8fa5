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
mkdir -p "$APP" "$SITE/verup" "$NEW" "$SHOTS" "$XDG_CONFIG_HOME/RedudUrazE"

# The program folder as on a customer's machine: the updater, the archiver
# beside it and the installed product.
cp "$BIN/PelmoraVer3Up" "$BIN/libunlha32.so" "$APP/"
cat >"$APP/PelmoraVer3" <<'SH'
#!/bin/sh
echo "PelmoraVer3 1.04 started in $PWD" >>product.log
SH
chmod +x "$APP/PelmoraVer3"
printf '[Settings]\nPelmora3VerKaku=104\n' >"$XDG_CONFIG_HOME/RedudUrazE/RedudUrazE.conf"

# The new release; the product records its own version in the settings store.
cat >"$NEW/PelmoraVer3" <<'SH'
#!/bin/sh
echo "PelmoraVer3 1.05 started in $PWD" >>product.log
sed -i 's/^Pelmora3VerKaku=.*/Pelmora3VerKaku=105/' "$XDG_CONFIG_HOME/RedudUrazE/RedudUrazE.conf"
SH
printf 'Pelmora 1.05 data\r\n' >"$NEW/Pelmora3.dat"

# The vendor's folder: pages in the legacy code page, the archive by our library.
printf '<HTML><HEAD><TITLE>105</TITLE></HEAD><BODY>Pelmora3</BODY></HTML>\r\n' >"$SITE/verup/Verpelmora3.html"
iconv -f UTF-8 -t CP932 >"$SITE/verup/Pelmora3Osirase3.html" <<'HTML'
<html><head><title>お知らせ</title></head><body>
<h3>バージョン 1.05 (2026/12/01)</h3>
<p>印刷プレビューの表示を修正しました。</p>
<p>検証データの送信を速くしました。</p>
<h3>バージョン 1.04 (2026/10/15)</h3>
<p>月次データベースの集計を追加しました。</p>
<br><br><br><br><br><br><br><br><br></body></html>
HTML
/usr/bin/python3 - "$BIN/libunlha32.so" "$SITE/verup/PelmoraUP3.lzh" "$NEW" <<'PY'
import ctypes, sys
lib = ctypes.CDLL(sys.argv[1])
lib.Unlha.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_char_p, ctypes.c_ulong]
lib.Unlha.restype = ctypes.c_int
output = ctypes.create_string_buffer(1024)
command = f'a "{sys.argv[2]}" "{sys.argv[3]}/" PelmoraVer3 Pelmora3.dat'.encode("cp932")
result = lib.Unlha(None, command, output, 1024)
if result != 0:
    sys.exit(f"archiver failed ({result}): {output.value.decode('cp932', 'replace')}")
PY

PORT=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
/usr/bin/python3 -m http.server "$PORT" --bind 127.0.0.1 --directory "$SITE" >"$DEMO_DIR/http.log" 2>&1 &
HTTP_PID=$!
XVFB_PID=""
cleanup() {
    kill "$HTTP_PID" 2>/dev/null || true
    [[ -n "$XVFB_PID" ]] && kill "$XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 50); do curl -sf "http://127.0.0.1:$PORT/verup/Verpelmora3.html" >/dev/null && break; sleep 0.1; done
export UPDATER_BASE_URL="http://127.0.0.1:$PORT/verup/"
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
