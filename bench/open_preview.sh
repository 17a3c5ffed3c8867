#!/bin/bash
# Sets opening a 6000 x 4000 JPEG the way the window does (decode, draw at own
# size, the session's copy, the 398 x 265 preview) beside `djpeg` decoding the
# same file to /dev/null. Both wall-clock and CPU time are given, since a busy
# machine stretches wall-clock time. Target: the program within 1.5 x of djpeg.
# usage: bench/open_preview.sh BUILD_DIR [RUNS]
set -euo pipefail
bench=$1/bench/bench_open_preview
runs=${2:-10}
photo=/tmp/morvi-bench-6000x4000.jpg
out=$(mktemp)
trap 'rm -f "$out"' EXIT

# The benchmark makes the photo on its first run; time it once to warm up too.
"$bench" --benchmark_filter='BM_DecodeJpeg' --benchmark_min_time=0.01 >/dev/null
djpeg -outfile /dev/null "$photo"

TIMEFORMAT='%R %U %S'
read -r real user sys < <({ time (for ((i = 0; i < runs; i++)); do djpeg -outfile /dev/null "$photo"; done) ; } 2>&1)
djpeg_real=$(awk -v t="$real" -v n="$runs" 'BEGIN { printf "%.1f", 1000 * t / n }')
djpeg_cpu=$(awk -v u="$user" -v s="$sys" -v n="$runs" 'BEGIN { printf "%.1f", 1000 * (u + s) / n }')
echo "djpeg of $(wc -c <"$photo") bytes: ${djpeg_real} ms wall, ${djpeg_cpu} ms CPU"

"$bench" --benchmark_filter='BM_OpenPreview' --benchmark_repetitions="$runs" \
    --benchmark_report_aggregates_only=true --benchmark_format=console | tee "$out"
read -r open_real open_cpu < <(awk '/BM_OpenPreview.*_median/ { print $2, $4 }' "$out")
echo "open + preview: ${open_real} ms wall, ${open_cpu} ms CPU"
awk -v r="$open_real" -v c="$open_cpu" -v dr="$djpeg_real" -v dc="$djpeg_cpu" 'BEGIN {
    printf "ratio %.2f wall, %.2f CPU (target <= 1.5)\n", r / dr, c / dc
    exit !(c / dc <= 1.5)
}'
