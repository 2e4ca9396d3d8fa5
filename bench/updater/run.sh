#!/usr/bin/env bash
# The updater's download and installation against curl + lhasa doing the same on loopback: PelmoraVer3Up
# (bench_updater, offscreen) clicks アップデート開始 and is timed from the click to the completion box; the peer
# is `curl -o` followed by `lhasa x` and the archive's removal. Both fetch the same archive from one Python web
# server and extract into a folder of their own on the same disk. Two kinds of archive, made with jlha: "stored",
# random bytes that jlha stores (-lh0-), where the updater's own work shows most; and "mixed", a program of random
# bytes and a compressible data file (-lh5-), about half of the archive each. Medians of RUNS runs, alternating, of wall
# and CPU time (user + system; steadier on a busy machine), and each side's peak resident memory. Ratios are
# ours / peer: the goal is a time ratio of at most 1.1, and a peak memory that does not grow with the archive.
#   bench/updater/run.sh [BUILD_DIR]        (default: build; RUNS=5, SIZES="25" archive sizes in MB,
#                                            KINDS="stored mixed", BENCH=another bench_updater to compare)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
BUILD_DIR="$(cd "${1:-$ROOT/build}" && pwd)"
RUNS="${RUNS:-5}"
SIZES="${SIZES:-25}"
KINDS="${KINDS:-stored mixed}"
BENCH="${BENCH:-$BUILD_DIR/bin/bench_updater}"
PYTHON=/usr/bin/python3
[[ -x "$BENCH" ]] || { echo "build the bench_updater target first ($BENCH)" >&2; exit 1; }
command -v jlha >/dev/null && command -v lhasa >/dev/null && command -v curl >/dev/null ||
    { echo "needs jlha, lhasa and curl" >&2; exit 1; }

WORK="$(mktemp -d)"
SERVER_PID=""
cleanup() {
    [[ -n $SERVER_PID ]] && kill "$SERVER_PID" 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT

SITE="$WORK/site"
mkdir -p "$SITE/verup" "$WORK/config/RedudUrazE"
printf '<HTML><HEAD><TITLE>105</TITLE></HEAD><BODY>Version</BODY></HTML>' >"$SITE/verup/Verpelmora3.html"
printf '<html><head><title>notice</title></head><body><p>Ver1.05</p><br><br><br><br></body></html>' \
    >"$SITE/verup/Pelmora3Osirase3.html"
printf '[Settings]\nPelmora3VerKaku=104\n' >"$WORK/config/RedudUrazE/RedudUrazE.conf"
mkdir -m 700 "$WORK/runtime"
export XDG_CONFIG_HOME="$WORK/config" XDG_RUNTIME_DIR="$WORK/runtime" QT_QPA_PLATFORM=offscreen

PORT=$("$PYTHON" -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
"$PYTHON" -m http.server --bind 127.0.0.1 --directory "$SITE" "$PORT" >/dev/null 2>&1 &
SERVER_PID=$!
export UPDATER_BASE_URL="http://127.0.0.1:$PORT/verup/"
for _ in $(seq 50); do curl -sf -o /dev/null "$UPDATER_BASE_URL/Verpelmora3.html" && break; sleep 0.1; done

# Writes an archive of about $2 MB of kind $1: stored, random bytes only; mixed, half random bytes (the program)
# and half words (data, compressed about 2:1).
make_archive() {
    local kind=$1 mb=$2 dir="$WORK/release"
    rm -rf "$dir" && mkdir -p "$dir"
    if [[ $kind == stored ]]; then
        head -c 2000000 /dev/urandom >"$dir/PelmoraVer3"
        head -c $((mb * 1000000 - 2000000)) /dev/urandom >"$dir/Pelmora3.dat"
        (cd "$dir" && jlha aq "$SITE/verup/PelmoraUP3.lzh" PelmoraVer3 Pelmora3.dat >/dev/null)
        return
    fi
    head -c $((mb * 500000)) /dev/urandom >"$dir/PelmoraVer3"
    "$PYTHON" - "$dir/Pelmora3.dat" $((mb * 1000000)) <<'PY'
import random, sys
words = [("%x" % random.Random(i).getrandbits(24)) for i in range(4000)]
rng, out, size = random.Random(7), [], 0
while size < int(sys.argv[2]):
    line = " ".join(rng.choice(words) for _ in range(12)) + "\r\n"
    out.append(line); size += len(line)
open(sys.argv[1], "w", newline="").write("".join(out))
PY
    (cd "$dir" && jlha aq "$SITE/verup/PelmoraUP3.lzh" PelmoraVer3 Pelmora3.dat >/dev/null)
}

median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }
ratio() { echo "scale=2; $1 / $2" | bc -l; }
fresh() { rm -rf "$1" && mkdir -p "$1" && printf 'old\n' >"$1/PelmoraVer3"; }

printf '%-6s %-6s | %7s %7s %6s | %7s %7s %6s | %9s %9s\n' kind size wall_us wall_pe ratio cpu_us cpu_pe ratio \
    peak_us peak_pe
for kind in $KINDS; do
    for mb in $SIZES; do
        make_archive "$kind" "$mb"
        bytes=$(stat -c %s "$SITE/verup/PelmoraUP3.lzh")
        wo=() co=() mo=() wp=() cp=() mp=()
        for ((r = 0; r < RUNS; r++)); do
            fresh "$WORK/ours"
            read -r w c m < <("$BENCH" "$WORK/ours")
            wo+=("$w"); co+=("$c"); mo+=("$m")
            fresh "$WORK/peer"
            /usr/bin/time -f '%e %U %S %M' -o "$WORK/time" sh -c 'cd "$1" && curl -sf -o PelmoraUP3.lzh "$2" &&
                lhasa xq PelmoraUP3.lzh && rm PelmoraUP3.lzh' sh "$WORK/peer" "${UPDATER_BASE_URL}PelmoraUP3.lzh"
            read -r w u s m <"$WORK/time"
            wp+=("$w"); cp+=("$(echo "$u + $s" | bc -l)"); mp+=("$m")
        done
        diff -r "$WORK/ours" "$WORK/peer" >/dev/null || { echo "the updater's result differs from curl + lhasa" >&2; exit 1; }
        WO=$(median "${wo[@]}"); CO=$(median "${co[@]}"); MO=$(median "${mo[@]}")
        WP=$(median "${wp[@]}"); CP=$(median "${cp[@]}"); MP=$(median "${mp[@]}")
        printf '%-6s %-6s | %7.3f %7.3f %6.2f | %7.3f %7.3f %6.2f | %6d MiB %6d MiB\n' "$kind" "$((bytes / 1000000))MB" \
            "$WO" "$WP" "$(ratio "$WO" "$WP")" "$CO" "$CP" "$(ratio "$CO" "$CP")" $((MO / 1024)) $((MP / 1024))
    done
done
