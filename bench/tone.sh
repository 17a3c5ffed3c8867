#!/usr/bin/env bash
# Times the picture menu's quarter turn and tone commands on a 6000 x 4000 picture
# next to ImageMagick doing the same on the same picture.
#
#   bench/tone.sh [build-dir]      (default: build; bench_tone is built there)
#
# Our figures come from bench_tone (in memory, one command on a 24-bit bitmap).
# ImageMagick's are whole commands that also read and write a 72 MB BMP, so a
# plain "convert in.bmp out.bmp" is timed too: subtract it to compare the work
# itself. ImageMagick runs with its default threads and again with one thread.
set -euo pipefail

build=${1:-build}
repeat=3

command -v convert >/dev/null || { echo "ImageMagick's convert is not installed" >&2; exit 1; }

cmake --build "$build" --target bench_tone -j2 >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A noisy photo-like picture, 24 bits a pixel, uncompressed.
convert -size 6000x4000 -seed 7 xc:gray +noise Random -blur 0x1 -type TrueColor "BMP3:$work/in.bmp"

# Best wall time of $repeat runs, in milliseconds.
best_ms() {
    local best=
    for _ in $(seq "$repeat"); do
        local start end ms
        start=$(date +%s%N)
        "$@" >/dev/null
        end=$(date +%s%N)
        ms=$(( (end - start) / 1000000 ))
        if [[ -z $best || $ms -lt $best ]]; then best=$ms; fi
    done
    echo "$best"
}

declare -a names=("read+write only" "-rotate 90" "-brightness-contrast 8x0 (brighter)"
                  "-brightness-contrast -8x0 (darker)" "-brightness-contrast 0x20 (more contrast)"
                  "-brightness-contrast 0x-20 (less contrast)" "-colorspace Gray")
declare -a args=("" "-rotate 90" "-brightness-contrast 8x0" "-brightness-contrast -8x0"
                 "-brightness-contrast 0x20" "-brightness-contrast 0x-20" "-colorspace Gray")

echo "ImageMagick $(convert -version | head -1 | awk '{print $3}'), 6000 x 4000, best of $repeat (ms):"
printf '  %-44s %10s %10s\n' "command" "threads" "1 thread"
for i in "${!names[@]}"; do
    # shellcheck disable=SC2086
    all=$(best_ms convert "$work/in.bmp" ${args[$i]} "BMP3:$work/out.bmp")
    # shellcheck disable=SC2086
    one=$(best_ms env MAGICK_THREAD_LIMIT=1 convert "$work/in.bmp" ${args[$i]} "BMP3:$work/out.bmp")
    printf '  %-44s %10s %10s\n' "${names[$i]}" "$all" "$one"
done

echo
echo "Morvi (bench_tone, in memory, one thread, median of 3):"
"$build/bench/bench_tone" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
    2>/dev/null | grep -E '^(Benchmark|BM_.*_median)'
