#!/bin/sh
# Sets the engine's load + save of a 6000 x 4000 24-bit BMP beside `cp` of the
# same file (warm page cache for both). Target: the engine within 1.5 x of cp.
# usage: bench/bmp_io.sh BUILD_DIR [RUNS]
set -eu
bench=$1/bench/bench_bmp_io
runs=${2:-10}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

"$bench" --write-sample "$dir/sample.bmp"
cp "$dir/sample.bmp" "$dir/copy.bmp"  # warm up
start=$(date +%s%N)
i=0
while [ "$i" -lt "$runs" ]; do
    cp "$dir/sample.bmp" "$dir/copy.bmp"
    i=$((i + 1))
done
end=$(date +%s%N)
cp_ms=$(( (end - start) / runs / 1000000 ))
echo "cp of $(wc -c <"$dir/sample.bmp") bytes: ${cp_ms} ms"

MORVI_BENCH_DIR=$dir "$bench" --benchmark_filter='BM_LoadSave24_File|BM_Load32Bitfields' \
    --benchmark_repetitions=3 --benchmark_report_aggregates_only=true --benchmark_format=console |
    tee "$dir/result.txt"
status=0
for fmo in 1 0; do
    engine_ms=$(awk -v n="BM_LoadSave24_File/fmo:${fmo}_median" '$1 == n { print int($2 + 0.5) }' "$dir/result.txt")
    awk -v e="$engine_ms" -v c="$cp_ms" -v f="$fmo" 'BEGIN {
        r = e / (c > 0 ? c : 1)
        printf "engine load + save (fmo:%s): %d ms, cp: %d ms, ratio %.2f (target <= 1.5)\n", f, e, c, r
        exit !(r <= 1.5) }' || status=1
done
exit $status
