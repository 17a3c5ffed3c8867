#!/usr/bin/env python3
"""Writes a fuzz_stretch_dibits input (fuzz_dib_input.h) too large to keep in the
corpus: a 1 x 1 RLE8 picture whose single row gets 8421505 runs of 255 pixels,
2^31 columns and more, then one more run. A 32-bit column counter wraps there
and the last run lands before the row.
    fuzz/make_rle_column_wrap.py /tmp/rle8-column-wrap.bin   (16 MiB)
    build-fuzz/fuzz/fuzz_stretch_dibits /tmp/rle8-column-wrap.bin"""
import sys

RUNS = (2**31 + 254) // 255
header = bytes([1, 0, 0, 2, 5, 0, 0, 1, 1, 0, 0, 0, 0])  # RLE8, 1 x 1, 2 colours, 32-bit canvas, 1:1
colors = bytes([0, 0, 0, 0, 255, 255, 255, 0])
with open(sys.argv[1], "wb") as out:
    out.write(header + colors + bytes([255, 1]) * RUNS + bytes([1, 1, 0, 1]))
