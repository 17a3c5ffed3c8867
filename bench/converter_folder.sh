#!/bin/bash
# Times the converter over a folder of 24 photos of 2 to 15 megapixels, each to
# a quarter of its area as JPEG quality 90, beside libvips (`vips resize` run
# over the same files with as many processes as there are cores) and
# ImageMagick (`mogrify -resize 50% -quality 90`), in the same run. Then the
# converter's peak memory for each file alone, against twice that file's decoded
# picture (width x height x 4 bytes), over what the program takes for a 1-pixel
# file. Targets: at most 0.8 x vips, below mogrify, memory within 2 x.
# usage: bench/converter_folder.sh BUILD_DIR [ROUNDS]
set -euo pipefail
build=$(cd "$1" && pwd)
rounds=${2:-3}
resize=$build/tools/morvi-resize
maker=$build/bench/bench_open_preview
cores=$(nproc)
for tool in vips mogrify /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "$tool is needed (libvips-tools, imagemagick, time)" >&2; exit 2; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/photos"
for i in $(seq 0 23); do
    w=$((1640 + 125 * i))
    h=$((w * 3 / 4))
    cp "$("$maker" --make-photo "$w" "$h")" "$work/photos/photo-$(printf %02d "$i").jpg"
done

run() {  # run NAME: one pass over the folder into a fresh output folder
    rm -rf "$work/out-$1" && mkdir "$work/out-$1"
    case $1 in
        morvi) "$resize" --magnification 1/4 --quiet --out "$work/out-morvi" "$work/photos" ;;
        vips) ls "$work"/photos/*.jpg | xargs -P "$cores" -I{} sh -c \
                  'vips resize "$1" "$2/$(basename "$1")[Q=90]" 0.5' _ {} "$work/out-vips" ;;
        mogrify) mogrify -path "$work/out-mogrify" -resize 50% -quality 90 "$work"/photos/*.jpg ;;
    esac
}
timed() {  # timed NAME: milliseconds of one pass
    local start end
    start=$(date +%s%N)
    run "$1"
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}
for name in morvi vips mogrify; do run "$name"; done   # warm-up
for ((r = 0; r < rounds; r++)); do
    for name in morvi vips mogrify; do timed "$name" >>"$work/$name.times"; done
done
median() { sort -g "$1" | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }
m=$(median "$work/morvi.times")
v=$(median "$work/vips.times")
g=$(median "$work/mogrify.times")
echo "24 photos of 2 to 15 MP, $cores cores, $rounds rounds, medians"
echo "morvi-resize (--jobs $cores):      $m ms"
echo "vips resize ($cores processes):    $v ms"
echo "mogrify -resize 50%:             $g ms"
awk -v m="$m" -v v="$v" -v g="$g" 'BEGIN { printf "morvi / vips: %.2f (target <= 0.8), morvi / mogrify: %.2f (target < 1)\n", m / v, m / g }'

# Peak memory of one file at a time, over the program's own floor.
printf 'P6\n1 1\n255\n\0\0\0' >"$work/one.ppm"
"$resize" --quiet --out "$work/floor" "$work/photos/photo-00.jpg" >/dev/null  # page cache
convert "$work/one.ppm" "$work/one.jpg"
floor=$(/usr/bin/time -f %M "$resize" --quiet --jobs 1 --out "$work/floor" "$work/one.jpg" 2>&1 >/dev/null | tail -n1)
worst=0
for f in "$work"/photos/*.jpg; do
    read -r w h < <(identify -format '%w %h\n' "$f")
    peak=$(/usr/bin/time -f %M "$resize" --quiet --jobs 1 --magnification 1/4 --out "$work/mem" "$f" 2>&1 >/dev/null | tail -n1)
    ratio=$(awk -v p="$peak" -v f="$floor" -v w="$w" -v h="$h" 'BEGIN { printf "%.2f", (p - f) * 1024 / (w * h * 4) }')
    worst=$(awk -v a="$worst" -v b="$ratio" 'BEGIN { print (b > a ? b : a) }')
done
echo "peak memory per file over the floor of ${floor} kB: at most ${worst} x the decoded picture (target <= 2)"
awk -v m="$m" -v v="$v" -v g="$g" -v w="$worst" 'BEGIN { exit !(m <= 0.8 * v && m < g && w <= 2) }'
