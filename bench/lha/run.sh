#!/usr/bin/env bash
# The archiver on the benchmark corpus (make_corpus.py), on one core: every command is pinned with
# taskset -c CORE, so the figures hold whether the machine is idle or busy. Each command runs RUNS times,
# alternating with its peers; the tables show medians of CPU time (user + system) and of wall time.
# Compression: our encoder against jlha (same method), for each part of the corpus, with CPU nanoseconds per
# input byte. Extraction: our library against the lhasa CLI. Ratios > 1 mean we are faster or smaller.
# With BASELINE=DIR (the build directory of an earlier revision, e.g. main), that revision's bench_lha runs
# in the same rounds and the last columns give our speed-up and size against it.
#   [RUNS=5] [CORE=0] [BASELINE=DIR] bench/lha/run.sh [BUILD_DIR]
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
BUILD_DIR="$(cd "${1:-$ROOT/build}" && pwd)"
RUNS="${RUNS:-5}"
CORE="${CORE:-0}"
BENCH="$BUILD_DIR/bin/bench_lha"
BASE_BENCH="${BASELINE:+$(cd "$BASELINE" && pwd)/bin/bench_lha}"
CORPUS_TOOL="${CORPUS_TOOL:-$ROOT/../shared/tools/make_corpus.py}"
[[ -x "$BENCH" ]] || { echo "build the bench_lha target first ($BENCH)" >&2; exit 1; }
[[ -z "$BASE_BENCH" || -x "$BASE_BENCH" ]] || { echo "no bench_lha in BASELINE ($BASE_BENCH)" >&2; exit 1; }
[[ -f "$CORPUS_TOOL" ]] || CORPUS_TOOL=/work/shared/tools/make_corpus.py
command -v jlha >/dev/null && command -v lhasa >/dev/null || { echo "needs jlha and lhasa" >&2; exit 1; }
command -v taskset >/dev/null || { echo "needs taskset (util-linux)" >&2; exit 1; }

WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
/usr/bin/python3 "$CORPUS_TOOL" "$WORK/corpus" >/dev/null
cd "$WORK/corpus"
mapfile -t PARTS < <(find . -mindepth 1 -maxdepth 1 -type d -printf '%P\n' | sort)

median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }
ratio() { echo "scale=4; $1 / $2" | bc -l; }
# Prints "WALL CPU" in seconds for one run of the command on the chosen core.
timed() {
    /usr/bin/time -f '%e %U %S' -o "$WORK/time" taskset -c "$CORE" "$@" >/dev/null 2>&1 ||
        { echo "failed: $*" >&2; exit 1; }
    awk '{printf "%s %.3f\n", $1, $2 + $3}' "$WORK/time"
}
# race PREPARE CMD...: runs every command RUNS times, in turn, PREPARE before each round; sets WALL[i] and
# CPU[i], the medians of command i.
race() {
    local prepare="$1" r i t
    shift
    local -a cmds=("$@") walls cpus
    for ((i = 0; i < ${#cmds[@]}; i++)); do walls[i]=""; cpus[i]=""; done
    for ((r = 0; r < RUNS; r++)); do
        eval "$prepare"
        for ((i = 0; i < ${#cmds[@]}; i++)); do
            read -r -a t <<<"$(eval timed "${cmds[i]}")"
            walls[i]+=" ${t[0]}"; cpus[i]+=" ${t[1]}"
        done
    done
    WALL=(); CPU=()
    for ((i = 0; i < ${#cmds[@]}; i++)); do
        WALL[i]=$(median ${walls[i]}); CPU[i]=$(median ${cpus[i]})
    done
}
nsPerByte() { echo "scale=1; $1 * 1000000000 / $2" | bc -l; }

echo "corpus: $(find . -type f | wc -l) files, $(cat $(find . -type f) | wc -c) bytes; one core (taskset -c $CORE);" \
    "$RUNS runs each, medians${BASE_BENCH:+; baseline $BASE_BENCH}"
echo
echo "compression: CPU ns per input byte and wall seconds, ours against jlha"
printf '%-7s %-6s %9s %9s %6s | %7s %7s %5s | %6s %6s %5s' part method ours_B jlha_B size_r \
    ns/B_us ns/B_jl ratio wall_us wall_jl ratio
[[ -n "$BASE_BENCH" ]] && printf ' | %9s %7s %7s %6s' base_B size_r ns/B_bs speedup
echo
for part in "${PARTS[@]}"; do
    mapfile -t FILES < <(find "$part" -type f | sort)
    BYTES=$(cat "${FILES[@]}" | wc -c)
    for m in 5 6 7; do
        cmds=('"$BENCH" compress $m 2 0 "$WORK/ours.lzh" . "${FILES[@]}"' 'jlha aq2o$m "$WORK/jlha.lzh" "${FILES[@]}"')
        [[ -n "$BASE_BENCH" ]] && cmds+=('"$BASE_BENCH" compress $m 2 0 "$WORK/base.lzh" . "${FILES[@]}"')
        race 'rm -f "$WORK/ours.lzh" "$WORK/jlha.lzh" "$WORK/base.lzh"' "${cmds[@]}"
        lhasa t "$WORK/ours.lzh" >/dev/null 2>&1 || { echo "lhasa rejects our -lh$m- archive of $part" >&2; exit 1; }
        so=$(stat -c %s "$WORK/ours.lzh"); sj=$(stat -c %s "$WORK/jlha.lzh")
        printf '%-7s %-6s %9d %9d %6.4f | %7.1f %7.1f %5.2f | %6.2f %6.2f %5.2f' "$part" "-lh$m-" "$so" "$sj" \
            "$(ratio "$sj" "$so")" "$(nsPerByte "${CPU[0]}" "$BYTES")" "$(nsPerByte "${CPU[1]}" "$BYTES")" \
            "$(ratio "${CPU[1]}" "${CPU[0]}")" "${WALL[0]}" "${WALL[1]}" "$(ratio "${WALL[1]}" "${WALL[0]}")"
        if [[ -n "$BASE_BENCH" ]]; then
            sb=$(stat -c %s "$WORK/base.lzh")
            printf ' | %9d %7.4f %7.1f %6.2f' "$sb" "$(ratio "$sb" "$so")" "$(nsPerByte "${CPU[2]}" "$BYTES")" \
                "$(ratio "${CPU[2]}" "${CPU[0]}")"
        fi
        echo
    done
done

echo
echo "extraction of jlha's archive of the whole corpus: our library (x) against lhasa (x)"
mapfile -t FILES < <(find . -type f | sort)
BYTES=$(cat "${FILES[@]}" | wc -c)
printf '%-6s | %7s %7s %5s | %6s %6s %5s\n' method ns/B_us ns/B_lh ratio wall_us wall_lh ratio
for m in 5 6 7; do
    rm -f "$WORK/jlha.lzh"
    jlha aq2o$m "$WORK/jlha.lzh" "${FILES[@]}" >/dev/null 2>&1
    race 'rm -rf "$WORK/xo" "$WORK/xl"; mkdir -p "$WORK/xo" "$WORK/xl"' \
        '"$BENCH" unlha "x \"$WORK/jlha.lzh\" \"$WORK/xo/\""' 'lhasa "xqw=$WORK/xl" "$WORK/jlha.lzh"'
    diff -r "$WORK/xo" "$WORK/corpus" >/dev/null || { echo "our extraction differs from the corpus" >&2; exit 1; }
    printf '%-6s | %7.1f %7.1f %5.2f | %6.2f %6.2f %5.2f\n' "-lh$m-" "$(nsPerByte "${CPU[0]}" "$BYTES")" \
        "$(nsPerByte "${CPU[1]}" "$BYTES")" "$(ratio "${CPU[1]}" "${CPU[0]}")" "${WALL[0]}" "${WALL[1]}" \
        "$(ratio "${WALL[1]}" "${WALL[0]}")"
done
