#!/usr/bin/env bash
# Compression and extraction of the benchmark corpus: our encoder against jlha (same method, same run), our
# archiver library's extraction against the lhasa CLI. Medians of RUNS runs; ratios > 1 mean we are faster/smaller.
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

now() { date +%s.%N; }
median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }
timed() { local t0 t1; t0=$(now); "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }; t1=$(now); echo "$t1 - $t0" | bc -l; }

echo "corpus: ${#FILES[@]} files, $TOTAL bytes; $RUNS runs each; $(nproc) cores"
printf '%-6s %12s %12s %9s %9s %9s %9s\n' method ours_bytes jlha_bytes size_r ours_s jlha_s speed_r
for m in 5 6 7; do
    ours=() ; theirs=()
    for ((r = 0; r < RUNS; r++)); do
        rm -f "$WORK/ours.lzh" "$WORK/jlha.lzh"
        ours+=("$(timed "$BENCH" compress "$m" 2 0 "$WORK/ours.lzh" . "${FILES[@]}")")
        theirs+=("$(timed jlha "aq2o$m" "$WORK/jlha.lzh" "${FILES[@]}")")
    done
    lhasa t "$WORK/ours.lzh" >/dev/null 2>&1 || { echo "lhasa rejects our -lh$m- archive" >&2; exit 1; }
    so=$(stat -c %s "$WORK/ours.lzh"); sj=$(stat -c %s "$WORK/jlha.lzh")
    to=$(median "${ours[@]}"); tj=$(median "${theirs[@]}")
    printf '%-6s %12d %12d %9.4f %9.3f %9.3f %9.2f\n' "-lh$m-" "$so" "$sj" "$(echo "$sj / $so" | bc -l)" \
        "$to" "$tj" "$(echo "$tj / $to" | bc -l)"
    cp "$WORK/jlha.lzh" "$WORK/jlha$m.lzh"
done

echo
echo "extraction of jlha's archives: our library (x) against lhasa (x)"
printf '%-6s %9s %9s %9s\n' method ours_s lhasa_s speed_r
for m in 5 6 7; do
    ours=() ; theirs=()
    for ((r = 0; r < RUNS; r++)); do
        rm -rf "$WORK/xo" "$WORK/xl"; mkdir -p "$WORK/xo" "$WORK/xl"
        ours+=("$(timed "$BENCH" unlha "x \"$WORK/jlha$m.lzh\" \"$WORK/xo/\"")")
        theirs+=("$(timed lhasa "xqw=$WORK/xl" "$WORK/jlha$m.lzh")")
    done
    diff -r "$WORK/xo" "$WORK/corpus" >/dev/null || { echo "our extraction differs from the corpus" >&2; exit 1; }
    to=$(median "${ours[@]}"); tl=$(median "${theirs[@]}")
    printf '%-6s %9.3f %9.3f %9.2f\n' "-lh$m-" "$to" "$tl" "$(echo "$tl / $to" | bc -l)"
done
