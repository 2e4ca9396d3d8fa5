# Sourced by the install tests (run as root, as CI does): a throw-away account
# to run the installed programs as, checks of the installed files, and the
# clicks that drive Sendora and the updater under Xvfb. Every wait is bounded.
source scripts/lib-xvfb.sh
source scripts/lib-demo.sh

# Ends the test with the reason and the last lines the programs and servers logged.
fail() {
    local log
    for log in "${WORK:-/nonexistent}"/*.log; do
        [[ -f "$log" ]] && { echo "--- ${log##*/}"; tail -n 15 "$log"; } >&2
    done
    echo "FAIL: $*" >&2
    exit 1
}

# Waits up to $1 seconds for the command that follows to succeed.
wait_until() {
    local seconds=$1
    shift
    for _ in $(seq $((seconds * 10))); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# A system account without password or login shell, its home the folder $2
# (created, private). Named sendora-it-<pid>-..., so that a leftover can be
# told from an account in use.
make_test_account() {
    local name=$1 home=$2
    useradd --system --user-group --no-create-home --home-dir "$home" --shell /usr/sbin/nologin \
        --comment "Sendora install test" "$name"
    mkdir -p "$home/.config" "$home/runtime"
    chown -R "$name:$name" "$home"
    chmod 700 "$home" "$home/runtime"
}

remove_test_account() {
    if id "$1" >/dev/null 2>&1; then
        userdel --force "$1" || true
    fi
}

# Replaces the shell with the command that follows, run as the account $1
# (with its supplementary groups unless NO_GROUPS=1), in its home, with its own
# settings folder. Started in the background, $! is the program's own pid.
exec_as_account() {
    local name=$1 home groups=--init-groups
    shift
    home=$(getent passwd "$name" | cut -d: -f6)
    [[ "${NO_GROUPS:-0}" == 1 ]] && groups=--clear-groups
    exec setpriv --reuid="$name" --regid="$name" "$groups" env --chdir="$home" HOME="$home" \
        XDG_CONFIG_HOME="$home/.config" XDG_RUNTIME_DIR="$home/runtime" "$@"
}

as_account() {
    (exec_as_account "$@")
}

# desktop-file-validate and appstreamcli on what an install put under the
# shared data folder $1; the desktop entries must start programs in $2.
check_desktop_files() {
    local share=$1 product=$2 entry
    for entry in "$share"/applications/jp.reduduraze.*.desktop; do
        desktop-file-validate "$entry" || fail "desktop-file-validate: $entry"
        local program
        program=$(sed -n 's/^TryExec=//p' "$entry")
        [[ "$program" == "$product"/* && -x "$program" ]] || fail "$entry starts $program, not a program in $product"
        grep -q '^Name\[ja\]=' "$entry" && grep -q '^Comment\[ja\]=' "$entry" || fail "$entry: no Japanese name"
        local icon
        icon=$(sed -n 's/^Icon=//p' "$entry")
        [[ -f "$share/icons/hicolor/scalable/apps/$icon.svg" ]] || fail "$entry: icon $icon is missing"
    done
    [[ $(ls "$share"/applications/jp.reduduraze.*.desktop | wc -l) == 3 ]] || fail "not three desktop entries"
    appstreamcli validate --no-net --pedantic "$share"/metainfo/jp.reduduraze.sendora.metainfo.xml ||
        fail "appstreamcli validate"
}

# The product folder $1 holds the programs and the archiver, which look for
# each other beside themselves only, and nothing they need is missing.
check_product_folder() {
    local folder=$1 file
    for file in Sendora PelmoraVer3Up TessalyP3VerUp libunlha32.so; do
        [[ -f "$folder/$file" ]] || fail "$folder/$file is missing"
        readelf -d "$folder/$file" | grep -q 'R\(UN\)\?PATH.*\[\$ORIGIN\]$' || fail "$file: search path is not \$ORIGIN"
        ! ldd "$folder/$file" | grep -q 'not found' || fail "$file: a library is missing"
    done
}

# Return in the window $1 (its default button): without a window manager the
# keyboard goes where it is sent.
press_return() {
    xdotool windowfocus --sync "$1" 2>/dev/null || true
    xdotool key --clearmodifiers Return
}

# Sendora's main window ("管理機能"), started by the command that follows, in
# the background; sets SENDORA_PID and WINDOW. A warning box before it (the
# program folder cannot be written) is answered and recorded in WARNED.
start_sendora() {
    "$@" >>"$WORK/sendora.log" 2>&1 &
    SENDORA_PID=$!
    WARNED=0
    WINDOW=""
    for _ in $(seq 200); do
        local warning
        warning=$(xdotool search --name '^警告$' 2>/dev/null | head -n1 || true)
        if [[ -n "$warning" ]]; then
            WARNED=1
            press_return "$warning"
        fi
        WINDOW=$(xdotool search --name '^管理機能$' 2>/dev/null | head -n1 || true)
        [[ -n "$WINDOW" ]] && break
        sleep 0.1
    done
    [[ -n "$WINDOW" ]] || fail "Sendora's window did not appear; see $WORK/sendora.log"
    sleep 1
}

stop_sendora() {
    if [[ -n "${SENDORA_PID:-}" ]]; then
        kill "$SENDORA_PID" 2>/dev/null || true
        wait "$SENDORA_PID" 2>/dev/null || true
    fi
    SENDORA_PID=""
}

# The verification submission as a user makes it: 検証データ送信, 送　信, はい.
# Positions: the layout's twips at 96 dpi (15 twips a pixel).
send_verification_data() {
    xdotool mousemove --window "$WINDOW" 80 32 click 1   # Check3(0) at 240, 360, 1935 x 255
    sleep 0.3
    xdotool mousemove --window "$WINDOW" 452 128 click 1 # Option3 at 5880, 1680, 1815 x 495
    local question
    question=$(wait_for_window '^Sendora$')
    [[ -n "$question" ]] || fail "no confirmation was asked"
    press_return "$question"
}

# The archive $1 holds the day files of the 31 days up to today and the
# monthly databases of the end and start months, as in the product data $2.
check_verification_archive() {
    local archive=$1 data=$2 unpacked
    unpacked=$(mktemp -d)
    (cd "$unpacked" && lhasa x "$archive" >/dev/null) || fail "lhasa cannot extract $archive"
    "$PYTHON" - "$unpacked" "$data" <<'PY' || fail "the archive does not hold the product data of the period"
import datetime, os, sys
unpacked, data = sys.argv[1], sys.argv[2]
today = datetime.date.today()
first = today - datetime.timedelta(days=30)
expected = {}
for back in range(31):
    day = today - datetime.timedelta(days=back)
    expected["%02d月%02d日fan.data" % (day.month, day.day)] = os.path.join(
        data, "%04d年" % day.year, "%02d月" % day.month, "%02d日fan.data" % day.day)
for day in {today, first}:
    expected["%02d月Oz.mdb" % day.month] = os.path.join(data, "%04d年" % day.year, "%02d月Oz.mdb" % day.month)
found = sorted(os.fsencode(name) for name in os.listdir(unpacked))
wanted = sorted(name.encode("cp932") for name in expected)
if found != wanted:
    sys.exit("archive holds %d files, expected %d" % (len(found), len(wanted)))
for name, source in expected.items():
    with open(os.path.join(os.fsencode(unpacked), name.encode("cp932")), "rb") as a, open(source, "rb") as b:
        if a.read() != b.read():
            sys.exit("%s differs from the product's file" % name)
print("archive holds the %d files of the period" % len(found))
PY
    rm -rf "$unpacked"
}
