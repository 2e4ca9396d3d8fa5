# Sourced by the demos and the install tests: sample product data, a local FTP
# server for Sendora, a vendor folder with an update for the updater, a local
# web server for it, and Sendora's settings pointing at what runs here.
PYTHON=/usr/bin/python3
DEMO_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Product data for the last 45 days in $1, named as the product writes it:
# yyyy年/mm月/dd日fan.data and yyyy年/mm月Oz.mdb.
write_product_data() {
    "$PYTHON" - "$1" <<'PY'
import datetime, os, sys
root = sys.argv[1]
today = datetime.date.today()
for back in range(45):
    day = today - datetime.timedelta(days=back)
    year = "%04d年" % day.year
    month = "%02d月" % day.month
    folder = os.path.join(root, year, month)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "%02d日fan.data" % day.day), "wb") as f:
        f.write(("fan data %s\r\n" % day.isoformat()).encode("ascii") * 40)
    with open(os.path.join(root, year, month + "Oz.mdb"), "wb") as f:
        f.write(b"Oz database " + month.encode("utf-8") + b"\r\n" + bytes(range(256)) * 16)
PY
}

# pyftpdlib on a free loopback port serving $1 (the user's home) for the user
# $FTP_USER with a password made here; its log goes to $2.
# Sets FTP_PASSWORD, FTP_PID and FTP_PORT.
start_demo_ftp_server() {
    local home=$1 log=$2
    FTP_PASSWORD=$(head -c 12 /dev/urandom | base64 | tr '/+' 'xy')
    "$PYTHON" "$DEMO_LIB_DIR/tests/support/ftp/pyftpd_server.py" --root "$home" --user "$FTP_USER" \
        --password "$FTP_PASSWORD" >"$log" 2>&1 &
    FTP_PID=$!
    FTP_PORT=""
    for _ in $(seq 100); do
        FTP_PORT=$(sed -n 's/^PORT \([0-9]*\)$/\1/p' "$log" | head -n1)
        [[ -n "$FTP_PORT" ]] && return 0
        sleep 0.1
    done
    echo "The FTP server did not start; see $log" >&2
    return 1
}

# Sendora's settings (QSettings "RedudUrazE"/"RedudUrazE", group Settings) in
# the file $1: server $2, user $3, password $4, product data folder $5.
write_sendora_settings() {
    mkdir -p "$(dirname "$1")"
    "$PYTHON" - "$@" <<'PY'
import configparser, sys
path, server, user, password, data = sys.argv[1:]
config = configparser.RawConfigParser()
config.optionxform = str
config.read(path, encoding="utf-8")
if not config.has_section("Settings"):
    config.add_section("Settings")
for key, value in (("VerificPass1", server), ("VerificPass2", user),
                   ("VerificPass3", password), ("Verificford", data)):
    config.set("Settings", key, value)
with open(path, "w", encoding="utf-8") as f:
    config.write(f, space_around_delimiters=False)
PY
}

# The vendor's folder $1/verup for PelmoraVer3Up: version page (105), notice
# page, and the update archive made by the archiver library $2 from a new
# release of the product, written to $3.
write_update_site() {
    local site=$1 library=$2 release=$3
    mkdir -p "$site/verup" "$release"
    # The new release; the product records its own version in the settings store.
    cat >"$release/PelmoraVer3" <<'SH'
#!/bin/sh
echo "PelmoraVer3 1.05 started in $PWD" >>product.log
sed -i 's/^Pelmora3VerKaku=.*/Pelmora3VerKaku=105/' "${XDG_CONFIG_HOME:-$HOME/.config}/RedudUrazE/RedudUrazE.conf"
SH
    printf 'Pelmora 1.05 data\r\n' >"$release/Pelmora3.dat"
    # Pages in the legacy code page, as the vendor's server keeps them.
    printf '<HTML><HEAD><TITLE>105</TITLE></HEAD><BODY>Pelmora3</BODY></HTML>\r\n' >"$site/verup/Verpelmora3.html"
    iconv -f UTF-8 -t CP932 >"$site/verup/Pelmora3Osirase3.html" <<'HTML'
<html><head><title>お知らせ</title></head><body>
<h3>バージョン 1.05 (2026/12/01)</h3>
<p>印刷プレビューの表示を修正しました。</p>
<p>検証データの送信を速くしました。</p>
<h3>バージョン 1.04 (2026/10/15)</h3>
<p>月次データベースの集計を追加しました。</p>
<br><br><br><br><br><br><br><br><br></body></html>
HTML
    "$PYTHON" - "$library" "$site/verup/PelmoraUP3.lzh" "$release" <<'PY'
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
}

# The installed product (version 104) in the program folder $1.
write_installed_product() {
    cat >"$1/PelmoraVer3" <<'SH'
#!/bin/sh
echo "PelmoraVer3 1.04 started in $PWD" >>product.log
SH
    chmod +x "$1/PelmoraVer3"
}

# A web server on a free loopback port serving $1; its log goes to $2.
# Sets HTTP_PID and UPDATER_BASE_URL (exported: the updaters read it).
start_demo_http_server() {
    local site=$1 log=$2 port
    port=$("$PYTHON" -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
    "$PYTHON" -m http.server "$port" --bind 127.0.0.1 --directory "$site" >"$log" 2>&1 &
    HTTP_PID=$!
    export UPDATER_BASE_URL="http://127.0.0.1:$port/verup/"
    for _ in $(seq 50); do
        curl -sf "${UPDATER_BASE_URL}Verpelmora3.html" >/dev/null && return 0
        sleep 0.1
    done
    echo "The web server did not start; see $log" >&2
    return 1
}
