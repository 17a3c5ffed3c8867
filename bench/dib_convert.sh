#!/bin/sh
# Sets the engine's pixel-format conversions on a 6000 x 4000 picture beside
# memcpy, and the two colour reductions ImageMagick does on the same picture.
# Ratios are given two ways: against memcpy of the source bytes into a warm
# buffer (the targets: expansion and RLE decoding 3 x, RLE encoding and the Low
# reduction 6 x, halftones 10 x), and against a copy of the output size into
# fresh pixel memory, which is what every conversion must at least do.
# usage: bench/dib_convert.sh BUILD_DIR [REPETITIONS]
set -eu
bench=$1/bench/bench_dib_convert
reps=${2:-3}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

"$bench" --write-pictures "$dir"
"$bench" --benchmark_repetitions="$reps" --benchmark_report_aggregates_only=true \
    --benchmark_out="$dir/result.json" --benchmark_out_format=json >/dev/null

python3 - "$dir/result.json" <<'PY'
import json, sys
runs = {b["run_name"].split("/")[0]: b["real_time"]
        for b in json.load(open(sys.argv[1]))["benchmarks"] if b.get("aggregate_name") == "median"}
rows = [  # name, warm memcpy of the source, fresh copy of the output size, target
    ("BM_Reduce24To8_Low",  "BM_Memcpy_24Bit", "BM_FreshCopy_8Bit",  6),
    ("BM_Reduce24To8_High", "BM_Memcpy_24Bit", "BM_FreshCopy_8Bit",  None),
    ("BM_HalfTone",         "BM_Memcpy_24Bit", "BM_FreshCopy_8Bit",  10),
    ("BM_HalfToneBW",       "BM_Memcpy_24Bit", "BM_FreshCopy_8Bit",  10),
    ("BM_Rle8Encode",       "BM_Memcpy_8Bit",  "BM_FreshCopy_8Bit",  6),
    ("BM_Rle8Decode",       "BM_Memcpy_8Bit",  "BM_FreshCopy_8Bit",  3),
    ("BM_Expand8To24",      "BM_Memcpy_8Bit",  "BM_FreshCopy_24Bit", 3),
]
for ref in ("BM_Memcpy_24Bit", "BM_Memcpy_8Bit", "BM_FreshCopy_24Bit", "BM_FreshCopy_8Bit"):
    print(f"{ref:22s} {runs[ref]:9.1f} ms")
print(f"{'conversion':22s} {'ms':>9s} {'/memcpy':>8s} {'/fresh copy':>12s}  target (/memcpy)")
for name, warm, fresh, target in rows:
    t = runs[name]
    print(f"{name:22s} {t:9.1f} {t / runs[warm]:8.1f} {t / runs[fresh]:12.2f}  {target or 'reported'}")
PY

if command -v convert >/dev/null 2>&1; then
    for args in "+dither -colors 256" "-dither FloydSteinberg -remap $dir/palette.bmp"; do
        start=$(date +%s%N)
        # shellcheck disable=SC2086
        convert "$dir/in.bmp" $args "$dir/out.bmp"
        end=$(date +%s%N)
        echo "ImageMagick convert in.bmp $args out.bmp: $(( (end - start) / 1000000 )) ms" | sed "s#$dir/##"
    done
fi
