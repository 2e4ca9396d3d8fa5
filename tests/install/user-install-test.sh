#!/usr/bin/env bash
# The per-user install as a user without root makes it: an account outside
# every group runs cmake --install --prefix ~/.local from the build folder,
# then the installed PelmoraVer3Up updates the product in its own folder from
# the demo web server (under Xvfb), and removing the installed files (the
# manifest) leaves the updated product and the settings. Runs as root (CI
# does) only to make and remove the account; leaves nothing behind.
#   BUILD_DIR   build folder (default: build; the programs are built there)
set -euo pipefail
cd "$(dirname "$0")/../.."
source tests/install/lib-install-test.sh
BUILD_DIR=$(realpath "${BUILD_DIR:-build}")
[[ $(id -u) -eq 0 ]] || fail "runs as root: it makes an account to install as"

WORK=$(mktemp -d /tmp/sendora-user-install-test.XXXXXX)
chmod 755 "$WORK"
ACCOUNT=sendora-it-$$-user
HOME_DIR=$WORK/home
PREFIX=$HOME_DIR/.local
PRODUCT=$PREFIX/opt/sendora
MANIFEST=$BUILD_DIR/install_manifest.txt
UPDATER_PID=""
cleanup() {
    set +e # every step, whatever failed before
    [[ -n "$UPDATER_PID" ]] && kill "$UPDATER_PID" 2>/dev/null
    [[ -n "${HTTP_PID:-}" ]] && kill "$HTTP_PID" 2>/dev/null
    [[ -n "${XVFB_PID:-}" ]] && kill "$XVFB_PID" 2>/dev/null
    # The build folder's own manifest, as it was.
    rm -f "$MANIFEST"
    [[ -f "$WORK/manifest.saved" ]] && mv "$WORK/manifest.saved" "$MANIFEST"
    remove_test_account "$ACCOUNT"
    rm -rf "$WORK"
}
trap cleanup EXIT

echo "== Build the programs in $BUILD_DIR"
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD_DIR" --parallel "$(nproc)" --target Sendora PelmoraVer3Up TessalyP3VerUp unlha32 >/dev/null

echo "== Install as a user without root into ~/.local"
make_test_account "$ACCOUNT" "$HOME_DIR"
# cmake --install writes its manifest into the build folder, which is root's here.
[[ -f "$MANIFEST" ]] && mv "$MANIFEST" "$WORK/manifest.saved"
install -o "$ACCOUNT" -m 644 /dev/null "$MANIFEST"
as_account "$ACCOUNT" cmake --install "$BUILD_DIR" --prefix "$PREFIX" >"$WORK/install.log" ||
    { cat "$WORK/install.log"; fail "cmake --install"; }
[[ $(stat -c %U "$PRODUCT") == "$ACCOUNT" ]] || fail "$PRODUCT is not the user's"
check_product_folder "$PRODUCT"
check_desktop_files "$PREFIX/share" "$PRODUCT"

echo "== The installed PelmoraVer3Up updates the product in its folder"
write_update_site "$WORK/site" "$PRODUCT/libunlha32.so" "$WORK/new-release"
as_account "$ACCOUNT" sh -c "$(declare -f write_installed_product); write_installed_product $PRODUCT"
CONF=$HOME_DIR/.config/RedudUrazE/RedudUrazE.conf
as_account "$ACCOUNT" sh -c "mkdir -p ${CONF%/*} && printf '[Settings]\nPelmora3VerKaku=104\n' >$CONF"
start_demo_http_server "$WORK/site" "$WORK/http.log"
start_virtual_desktop
exec_as_account "$ACCOUNT" env UPDATER_BASE_URL="$UPDATER_BASE_URL" "$PRODUCT/PelmoraVer3Up" \
    >"$WORK/updater.log" 2>&1 &
UPDATER_PID=$!
# Its folder is the user's: no warning comes before the window.
WINDOW=$(wait_for_window Zarazedizi3Revudiv)
! xdotool search --name '^警告$' >/dev/null 2>&1 || fail "the updater warned that it cannot write $PRODUCT"
[[ -n "$WINDOW" ]] || fail "the updater's window did not appear; see $WORK/updater.log"
# アップデート開始 at 3840, 6480 twips (1575 x 375): its middle at 96 dpi.
xdotool mousemove --window "$WINDOW" 308 444 click 1
wait_until 30 test -f "$PRODUCT/Pelmora3.dat" || fail "the update was not extracted into $PRODUCT"
# The completion message: OK ends the updater, which starts the new product.
for _ in $(seq 100); do
    kill -0 "$UPDATER_PID" 2>/dev/null || break
    done_box=$(xdotool search --name '^PelmoraVer3Up$' 2>/dev/null | head -n1 || true)
    [[ -n "$done_box" ]] && press_return "$done_box"
    sleep 0.2
done
! kill -0 "$UPDATER_PID" 2>/dev/null || fail "the updater did not end after the update"
UPDATER_PID=""
wait_until 10 grep -q "PelmoraVer3 1.05 started in $PRODUCT" "$PRODUCT/product.log" ||
    fail "the updated product did not start"
grep -q '^Pelmora3VerKaku=105' "$CONF" || fail "the new product did not record its version"
echo "updated to 1.05 and started in $PRODUCT"

echo "== Remove the installed files"
as_account "$ACCOUNT" xargs -d '\n' rm -f -- <"$MANIFEST"
[[ ! -e $PRODUCT/PelmoraVer3Up && ! -e $PREFIX/share/applications/jp.reduduraze.sendora.desktop ]] ||
    fail "the installed files are still there"
[[ -f $PRODUCT/PelmoraVer3 && -f $PRODUCT/Pelmora3.dat && -f $CONF ]] ||
    fail "removing the install took the user's product or settings"
echo "PASS: installed without root, updated in place, removed; the user's product and settings stayed"
