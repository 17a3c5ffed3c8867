#!/bin/bash
# Sets opening a photo through the picture session (decode, draw at its own size,
# the bitmap the session keeps, the preview fitted into the 400 x 400 panel; by
# the command line's road, without the DIB engine) beside `djpeg -outfile
# /dev/null` decoding the same file. Both wall-clock and CPU time are given,
# since a busy machine stretches wall-clock time. Target: at most 1.2 x djpeg.
# usage: bench/open_preview.sh BUILD_DIR [RUNS] [WIDTH HEIGHT]
set -euo pipefail
bench=$1/bench/bench_open_preview
runs=${2:-10}
width=${3:-5120}
height=${4:-2880}
out=$(mktemp)
trap 'rm -f "$out"' EXIT

photo=$("$bench" --make-photo "$width" "$height")
djpeg -outfile /dev/null "$photo"   # into the page cache

TIMEFORMAT='%R %U %S'
read -r real user sys < <({ time (for ((i = 0; i < runs; i++)); do djpeg -outfile /dev/null "$photo"; done) ; } 2>&1)
djpeg_real=$(awk -v t="$real" -v n="$runs" 'BEGIN { printf "%.1f", 1000 * t / n }')
djpeg_cpu=$(awk -v u="$user" -v s="$sys" -v n="$runs" 'BEGIN { printf "%.1f", 1000 * (u + s) / n }')
echo "djpeg of $photo ($(wc -c <"$photo") bytes): ${djpeg_real} ms wall, ${djpeg_cpu} ms CPU"

"$bench" --benchmark_filter="BM_OpenPreview/${width}/${height}/0" --benchmark_repetitions="$runs" \
    --benchmark_report_aggregates_only=true --benchmark_format=console | tee "$out"
read -r open_real open_cpu < <(awk '/BM_OpenPreview.*_median/ { print $2, $4 }' "$out")
echo "open + preview: ${open_real} ms wall, ${open_cpu} ms CPU"
awk -v r="$open_real" -v c="$open_cpu" -v dr="$djpeg_real" -v dc="$djpeg_cpu" 'BEGIN {
    printf "ratio %.2f wall, %.2f CPU (target <= 1.2)\n", r / dr, c / dc
    exit !(r / dr <= 1.2)
}'
