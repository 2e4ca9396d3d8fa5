#!/usr/bin/env bash
# The Debian package as a user's machine gets it: builds it, runs lintian,
# installs it with dpkg -i, checks the layout, then starts the installed
# Sendora under Xvfb as a member of the group sendora against the demo FTP
# server, sends a verification submission and checks the archive on the server;
# started by a user outside the group, Sendora warns that it cannot write its
# folder. Removing the package leaves the users' data. Runs as root (CI does)
# on a machine without the package; leaves no account, server or folder behind.
#   BUILD_DIR   package build folder (default: build-deb)
set -euo pipefail
cd "$(dirname "$0")/../.."
source tests/install/lib-install-test.sh

PRODUCT=/opt/sendora
GROUP=sendora
[[ $(id -u) -eq 0 ]] || fail "runs as root: it installs a package"
if dpkg-query -W -f='${Status}' sendora 2>/dev/null | grep -q installed || [[ -e $PRODUCT ]] ||
    getent group "$GROUP" >/dev/null; then
    fail "this machine has the package, $PRODUCT or the group $GROUP: the test would change a real installation"
fi

WORK=$(mktemp -d /tmp/sendora-package-test.XXXXXX)
chmod 755 "$WORK"
ACCOUNT=sendora-it-$$-pkg
INSTALLED=0
cleanup() {
    set +e # every step, whatever failed before
    stop_sendora
    [[ -n "${FTP_PID:-}" ]] && kill "$FTP_PID" 2>/dev/null
    [[ -n "${XVFB_PID:-}" ]] && kill "$XVFB_PID" 2>/dev/null
    if ((INSTALLED)); then
        dpkg --purge sendora >/dev/null 2>&1 || true
        rm -rf "$PRODUCT"
        getent group "$GROUP" >/dev/null && delgroup --system --quiet "$GROUP"
    fi
    remove_test_account "$ACCOUNT"
    rm -rf "$WORK"
}
trap cleanup EXIT

echo "== Build the package"
PACKAGE=$(scripts/package-deb.sh | tail -n1)
[[ -f "$PACKAGE" ]] || fail "no package built"
dpkg-deb -f "$PACKAGE" Depends | tr ',' '\n' | sed 's/^ */  depends: /'
for needed in fonts-ipafont qt6-translations-l10n liblhasa0 libqt6widgets6; do
    dpkg-deb -f "$PACKAGE" Depends | grep -q "\b$needed\b" || fail "the package does not depend on $needed"
done

echo "== lintian"
# Errors fail the test; the warnings and notes kept are listed in the README.
lintian --display-info --pedantic "$PACKAGE" 2>&1 | grep -v '^N:\|running with root privileges' | tee "$WORK/lintian.txt" || true
! grep -q '^E:' "$WORK/lintian.txt" || fail "lintian reports errors"

echo "== Install"
INSTALLED=1
dpkg -i "$PACKAGE" >"$WORK/dpkg.log" 2>&1 || { cat "$WORK/dpkg.log"; fail "dpkg -i"; }
[[ $(stat -c '%U:%G %a' "$PRODUCT") == "root:$GROUP 2775" ]] || fail "$PRODUCT is $(stat -c '%U:%G %a' "$PRODUCT")"
check_product_folder "$PRODUCT"
check_desktop_files /usr/share "$PRODUCT"

echo "== Sendora, installed, against the demo FTP server"
make_test_account "$ACCOUNT" "$WORK/home"
usermod -a -G "$GROUP" "$ACCOUNT"
FTP_USER=kvbtq518
FTP_HOME=$WORK/ftp-home
DATA=$WORK/product-data
mkdir -p "$FTP_HOME/public_html" "$DATA"
write_product_data "$DATA"
chmod -R a+rX "$DATA"
start_demo_ftp_server "$FTP_HOME" "$WORK/ftp-server.log"
CONF=$WORK/home/.config/RedudUrazE/RedudUrazE.conf
write_sendora_settings "$CONF" "127.0.0.1:$FTP_PORT" "$FTP_USER" "$FTP_PASSWORD" "$DATA"
chown -R "$ACCOUNT:$ACCOUNT" "$WORK/home/.config"
start_virtual_desktop

# Outside the group the folder is read-only: Sendora says so before its window.
NO_GROUPS=1 start_sendora exec_as_account "$ACCOUNT" "$PRODUCT/Sendora"
((WARNED)) || fail "Sendora did not warn that it cannot write $PRODUCT"
stop_sendora
echo "outside the group: warned that the program folder cannot be written"

# A member writes the folder: the Pass data file, then a submission.
as_account "$ACCOUNT" sh -c "printf 'admin\r\nverify\r\n' >$PRODUCT/Mirvel3.txt" ||
    fail "a member of $GROUP cannot write $PRODUCT"
start_sendora exec_as_account "$ACCOUNT" "$PRODUCT/Sendora"
((WARNED == 0)) || fail "Sendora warned a member of $GROUP"
send_verification_data
wait_until 60 grep -q '^<- STOR Qorlith.lzh' "$WORK/ftp-server.log" || fail "no upload; see $WORK/ftp-server.log"
# The command deletes its archive after the upload and the disconnect.
wait_until 60 test ! -e "$PRODUCT/Temp/Qorlith.lzh" || fail "the submission did not end"
check_verification_archive "$FTP_HOME/public_html/Qorlith.lzh" "$DATA"
stop_sendora

echo "== Remove"
dpkg -r sendora >"$WORK/dpkg.log" 2>&1 || { cat "$WORK/dpkg.log"; fail "dpkg -r"; }
[[ ! -e $PRODUCT/Sendora && ! -e /usr/share/applications/jp.reduduraze.sendora.desktop ]] ||
    fail "dpkg -r left the programs"
[[ $(cat "$PRODUCT/Mirvel3.txt") == $'admin\r\nverify\r' ]] || fail "the Pass data file did not survive removal"
grep -q "^Verificford=$DATA" "$CONF" || fail "the settings did not survive removal"
dpkg --purge sendora >"$WORK/dpkg.log" 2>&1 || { cat "$WORK/dpkg.log"; fail "dpkg --purge"; }
[[ -f $PRODUCT/Mirvel3.txt ]] && getent group "$GROUP" >/dev/null || fail "purge removed the users' data or its group"
echo "PASS: package built, installed, used for a submission and removed; the users' data stayed"
