#!/usr/bin/env bash
# Compression and extraction of the benchmark corpus: our encoder against jlha (same method, same run), our
# archiver library's extraction against the lhasa CLI. Medians of RUNS runs of wall-clock and of CPU time (user +
# system; steadier on a busy machine). Ratios > 1 mean we are faster or smaller.
#   bench/lha/run.sh [BUILD_DIR]        (default: build; RUNS=5 by default)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
BUILD_DIR="$(cd "${1:-$ROOT/build}" && pwd)"
RUNS="${RUNS:-5}"
BENCH="$BUILD_DIR/bin/bench_lha"
CORPUS_TOOL="${CORPUS_TOOL:-$ROOT/../shared/tools/make_corpus.py}"
[[ -x "$BENCH" ]] || { echo "build the bench_lha target first ($BENCH)" >&2; exit 1; }
[[ -f "$CORPUS_TOOL" ]] || CORPUS_TOOL=/work/shared/tools/make_corpus.py
command -v jlha >/dev/null && command -v lhasa >/dev/null || { echo "needs jlha and lhasa" >&2; exit 1; }

WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
/usr/bin/python3 "$CORPUS_TOOL" "$WORK/corpus" >/dev/null
cd "$WORK/corpus"
mapfile -t FILES < <(find . -type f -printf '%P\n' | sort)
TOTAL=$(cat "${FILES[@]}" | wc -c)

median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }
# Prints "WALL CPU" in seconds for one run of the command.
timed() {
    /usr/bin/time -f '%e %U %S' -o "$WORK/time" "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
    awk '{printf "%s %.2f\n", $1, $2 + $3}' "$WORK/time"
}
ratio() { echo "$1 / $2" | bc -l; }

echo "corpus: ${#FILES[@]} files, $TOTAL bytes; $RUNS runs each; $(nproc) cores"
# Runs ours and theirs RUNS times, alternating; sets WO CO WT CT (median wall and CPU seconds).
race() {
    local ours_cmd="$1" theirs_cmd="$2" wo=() co=() wt=() ct=() r t
    for ((r = 0; r < RUNS; r++)); do
        eval "$PREPARE"
        read -r -a t <<<"$(eval timed "$ours_cmd")"; wo+=("${t[0]}"); co+=("${t[1]}")
        read -r -a t <<<"$(eval timed "$theirs_cmd")"; wt+=("${t[0]}"); ct+=("${t[1]}")
    done
    WO=$(median "${wo[@]}"); CO=$(median "${co[@]}"); WT=$(median "${wt[@]}"); CT=$(median "${ct[@]}")
}

printf '%-6s %10s %10s %7s | %7s %7s %6s | %7s %7s %6s\n' method ours_B jlha_B size_r \
    wall_us wall_jl ratio cpu_us cpu_jl ratio
for m in 5 6 7; do
    PREPARE='rm -f "$WORK/ours.lzh" "$WORK/jlha.lzh"'
    race '"$BENCH" compress $m 2 0 "$WORK/ours.lzh" . "${FILES[@]}"' 'jlha aq2o$m "$WORK/jlha.lzh" "${FILES[@]}"'
    lhasa t "$WORK/ours.lzh" >/dev/null 2>&1 || { echo "lhasa rejects our -lh$m- archive" >&2; exit 1; }
    so=$(stat -c %s "$WORK/ours.lzh"); sj=$(stat -c %s "$WORK/jlha.lzh")
    printf '%-6s %10d %10d %7.4f | %7.2f %7.2f %6.2f | %7.2f %7.2f %6.2f\n' "-lh$m-" "$so" "$sj" "$(ratio "$sj" "$so")" \
        "$WO" "$WT" "$(ratio "$WT" "$WO")" "$CO" "$CT" "$(ratio "$CT" "$CO")"
    cp "$WORK/jlha.lzh" "$WORK/jlha$m.lzh"
done

echo
echo "extraction of jlha's archives: our library (x) against lhasa (x)"
printf '%-6s | %7s %7s %6s | %7s %7s %6s\n' method wall_us wall_lh ratio cpu_us cpu_lh ratio
for m in 5 6 7; do
    PREPARE='rm -rf "$WORK/xo" "$WORK/xl"; mkdir -p "$WORK/xo" "$WORK/xl"'
    race '"$BENCH" unlha "x \"$WORK/jlha$m.lzh\" \"$WORK/xo/\""' 'lhasa "xqw=$WORK/xl" "$WORK/jlha$m.lzh"'
    diff -r "$WORK/xo" "$WORK/corpus" >/dev/null || { echo "our extraction differs from the corpus" >&2; exit 1; }
    printf '%-6s | %7.2f %7.2f %6.2f | %7.2f %7.2f %6.2f\n' "-lh$m-" "$WO" "$WT" "$(ratio "$WT" "$WO")" \
        "$CO" "$CT" "$(ratio "$CT" "$CO")"
done
