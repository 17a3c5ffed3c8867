#!/bin/bash
# Times one whole job three ways on the same 6000 x 4000 JPEG: read it, resize it
# to half its width and height (a quarter of its area) and save it as JPEG
# quality 90 -- by the program's converter (morvi-resize --magnification 1/4,
# the window's batch over the picture session), by
# libvips (`vips resize in.jpg out.jpg[Q=90] 0.5`) and by ImageMagick
# (`convert in.jpg -resize 50% -quality 90 out.jpg`). Each round runs the three
# one after the other, so a load that comes and goes on a shared machine falls
# on all of them alike; the medians over the rounds are given, wall-clock and
# CPU (user + system), since a busy machine stretches wall-clock time and
# libvips spreads its work over several threads. Target: faster than libvips.
# usage: bench/compose_save.sh BUILD_DIR [RUNS]
set -euo pipefail
bench=$1/bench/bench_compose_save
resize=$1/tools/morvi-resize
runs=${2:-7}
for tool in vips convert; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed (libvips-tools, imagemagick)" >&2; exit 2; }
done
timer=/usr/bin/time
[[ -x $timer ]] || { echo "GNU time (/usr/bin/time) is needed" >&2; exit 2; }

photo=$("$bench" --make-photo)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

names=(morvi vips convert)
run() {  # run NAME: the job once, its "wall user system" appended to $work/NAME.times
    local name=$1
    case $name in
        morvi) set -- "$resize" --magnification 1/4 --quiet --out "$work/morvi" "$photo" ;;
        vips) set -- vips resize "$photo" "$work/vips.jpg[Q=90]" 0.5 ;;
        convert) set -- convert "$photo" -resize 50% -quality 90 "$work/convert.jpg" ;;
    esac
    "$timer" -f '%e %U %S' -a -o "$work/$name.times" "$@"
}

# One untimed round brings the files and the programs into the page cache.
for name in "${names[@]}"; do run "$name"; done
rm -f "$work"/*.times
for ((i = 0; i < runs; i++)); do
    for name in "${names[@]}"; do run "$name"; done
done

median() {  # median COLUMN FILE (column 0: user + system)
    awk -v c="$1" '{ print (c == 0 ? $2 + $3 : $c) }' "$2" | sort -g |
        awk '{ v[NR] = $1 } END { printf "%.0f", 1000 * (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'
}

echo "photo: $photo ($(wc -c <"$photo") bytes), $runs rounds, medians"
declare -A wall cpu
for name in "${names[@]}"; do
    wall[$name]=$(median 1 "$work/$name.times")
    cpu[$name]=$(median 0 "$work/$name.times")
    printf '%-8s %6s ms wall %6s ms CPU   output %s bytes\n' "$name" "${wall[$name]}" "${cpu[$name]}" \
        "$(wc -c <"$( [ "$name" = morvi ] && echo "$work/morvi/$(basename "$photo")" || echo "$work/$name.jpg")")"
done
awk -v mw="${wall[morvi]}" -v mc="${cpu[morvi]}" -v vw="${wall[vips]}" -v vc="${cpu[vips]}" \
    -v iw="${wall[convert]}" -v ic="${cpu[convert]}" 'BEGIN {
    printf "morvi / vips:    %.2f wall, %.2f CPU (target < 1)\n", mw / vw, mc / vc
    printf "morvi / convert: %.2f wall, %.2f CPU\n", mw / iw, mc / ic
    printf "vips / convert:  %.2f wall, %.2f CPU\n", vw / iw, vc / ic
    exit !(mw < vw)
}'
