#!/usr/bin/env python3
"""Writes the seed corpora of the two targets whose input is a layout of our own:
fuzz_stretch_dibits (fuzz_dib_input.h) and fuzz_get_dibits (fuzz_bitmap_input.h).
Run it again after changing either layout:  fuzz/make_seeds.py [fuzz/corpus]"""
import os
import struct
import sys

RGB, RLE8, RLE4, BITFIELDS = 0, 1, 2, 3
DEPTH_INDEX = {1: 0, 4: 1, 8: 2, 24: 3, 16: 4, 32: 5}
CANVAS_INDEX = {1: 0, 4: 1, 8: 2, 16: 3, 24: 4, 32: 5}


def s8(value):
    return struct.pack("b", value)


def drawing(kind, width, height, colors, bits, depth=8, top_down=False, half_colors=False,
            high_quality=False, clr_used=None, canvas=32, dest=None, src=(0, 0, 0, 0)):
    """dest and src are (x, y, w, h), dest the picture's own size at (0, 0) unless
    given; a source size of 0 is the whole side."""
    dest = dest or (0, 0, width, height)
    form = kind | (DEPTH_INDEX[depth] << 2) | (0x20 if top_down else 0) | (0x40 if half_colors else 0)
    form |= 0x80 if high_quality else 0
    used = len(colors) if clr_used is None else clr_used
    out = bytes([form, width - 1, height - 1, used, CANVAS_INDEX[canvas]])
    out += b"".join(s8(v) for v in dest) + b"".join(s8(v) for v in src)
    out += b"".join(bytes([b, g, r, 0]) for (r, g, b) in colors)
    return out + bytes(bits)


def ramp(count):
    return [((i * 53) % 256, (i * 97) % 256, (255 - i * 31) % 256) for i in range(count)]


def stretch_seeds():
    four = ramp(4)
    return {
        # Runs, a literal run padded to 16 bits, end of line, end of picture.
        "rle8-runs-literal-eol.bin": drawing(RLE8, 8, 4, four, [3, 1, 0, 3, 2, 3, 1, 0, 0, 0, 8, 2, 0, 0, 4, 3, 0, 1],
                                             dest=(0, 0, 8, 4)),
        # A delta that skips pixels and rows, drawn twice as large.
        "rle8-delta-stretched.bin": drawing(RLE8, 8, 6, four, [2, 1, 0, 2, 3, 2, 4, 3, 0, 0, 0, 2, 1, 1, 5, 2, 0, 1],
                                            dest=(0, 0, 16, 12)),
        # A top-down picture drawn mirrored left to right.
        "rle8-topdown-mirrored.bin": drawing(RLE8, 6, 3, four, [6, 1, 0, 0, 3, 2, 3, 3, 0, 0, 2, 1, 0, 1],
                                             top_down=True, dest=(20, 0, -18, 9)),
        # Runs longer than the row and a literal run cut off by the data's end.
        "rle8-run-past-row-end-truncated.bin": drawing(RLE8, 4, 3, four, [200, 2, 0, 0, 9, 1, 0, 6, 1, 2, 3]),
        # Two-colour runs alternate their nibbles; an odd literal run is padded.
        "rle4-runs-odd-literal.bin": drawing(RLE4, 9, 3, ramp(16), [5, 0x12, 0, 3, 0x34, 0x50, 0, 0, 9, 0xAB, 0, 1],
                                             dest=(2, 30, 18, -27)),
        # A delta past the last row ends the drawing; only part of the colours is handed over.
        "rle4-delta-past-rows-half-colours.bin": drawing(RLE4, 7, 4, ramp(16), [4, 0x77, 0, 2, 1, 9, 3, 0x11],
                                                         half_colors=True, high_quality=True, dest=(0, 0, 32, 32)),
        # Uncompressed pictures of every depth onto canvases of every format.
        "rgb1-shrunk.bin": drawing(RGB, 13, 5, [(0, 0, 0), (255, 255, 255)], [0xA5, 0x5A, 0, 0] * 5, depth=1,
                                   dest=(1, 1, 6, 3)),
        "rgb4-high-quality.bin": drawing(RGB, 7, 3, ramp(16), [0x01, 0x23, 0x45, 0x60] * 3, depth=4,
                                         high_quality=True, canvas=8, dest=(0, 0, 30, 20)),
        # Indices 6 and 255 lie past the five colours the table has.
        "rgb8-index-past-table.bin": drawing(RGB, 5, 3, ramp(5), [0, 1, 2, 6, 255, 0, 0, 0] * 3, depth=8, canvas=4,
                                             dest=(0, 0, 5, 3)),
        "rgb24-enlarged.bin": drawing(RGB, 6, 4, [], [(x * 40) % 256 for x in range(24 * 4)], depth=24, canvas=24,
                                      high_quality=True, dest=(-3, -3, 40, 40)),
        "rgb16-onto-1bit.bin": drawing(RGB, 3, 2, [], [0xFF, 0x7F, 0x34, 0x12, 0, 0x7C, 0, 0] * 2, depth=16,
                                       canvas=1, dest=(0, 0, 12, 8)),
        "rgb32-subrect-mirrored-source.bin": drawing(RGB, 4, 4, [], [(i * 17) % 256 for i in range(64)], depth=32,
                                                     canvas=16, dest=(0, 0, 16, 16), src=(3, 1, -2, 2)),
        # Fewer bits than the image needs: refused.
        "rgb24-short-bits.bin": drawing(RGB, 8, 8, [], [1, 2, 3] * 10, depth=24, dest=(0, 0, 8, 8)),
        # BI_BITFIELDS is no layout the drawing takes: refused.
        "bitfields-refused.bin": drawing(BITFIELDS, 2, 2, [], [0] * 16, depth=32, dest=(0, 0, 2, 2)),
    }


FORMAT_INDEX = {1: 0, 4: 1, 8: 2, 16: 3, 24: 4, 32: 5}
GET_DEPTH_INDEX = {1: 0, 4: 1, 8: 2, 24: 3, 16: 4, 32: 5, 0: 6, 2: 7}


def row_bytes(width, bits):
    return ((width * bits + 31) // 32) * 4


def request(source_bits, width, height, depth, palette=(), start=0, scans=255, room=0, top_down=False,
            no_colors=False, wider_header=False, rle=False, pixels=None):
    """room below 128 gives exactly the image; 128 + n gives n/128 of it."""
    form = FORMAT_INDEX[source_bits] | (0x08 if top_down else 0) | (0x10 if no_colors else 0)
    form |= (0x20 if wider_header else 0) | (0x40 if rle else 0)
    out = bytes([form, width - 1, height - 1, len(palette), GET_DEPTH_INDEX[depth], start, scans, room])
    out += b"".join(bytes(entry) for entry in palette)
    if pixels is None:
        size = row_bytes(width, source_bits) * height
        pixels = [(i * 29 + 7) % 256 for i in range(size)]
    return out + bytes(pixels)


def get_seeds():
    five = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255), (20, 30, 40)]
    return {
        "rgb24-to-24-exact.bin": request(24, 5, 3, 24),
        "rgb32-to-24-packed.bin": request(32, 4, 3, 24, top_down=True),
        "pal8-to-8-own-table.bin": request(8, 6, 2, 8, palette=five, pixels=[0, 1, 2, 3, 4, 4, 0, 0] * 2),
        "pal8-to-4-palette-fits.bin": request(8, 6, 2, 4, palette=five, pixels=[4, 3, 2, 1, 0, 1, 0, 0] * 2),
        "pal8-to-1-default-table.bin": request(8, 6, 2, 1, palette=five, pixels=[4, 3, 2, 1, 0, 1, 0, 0] * 2),
        "rgb1-to-24.bin": request(1, 9, 4, 24, pixels=[0xAA, 0x80, 0, 0] * 4),
        "rgb4-default-to-8.bin": request(4, 5, 3, 8, pixels=[0x01, 0x23, 0x40, 0] * 3),
        "rgb16-to-24.bin": request(16, 3, 3, 24),
        "rgb16-to-16.bin": request(16, 3, 3, 16),
        "rgb32-to-32-topdown.bin": request(32, 3, 2, 32, top_down=True),
        "rgb24-to-1-no-colours.bin": request(24, 7, 3, 1, no_colors=True),
        "rows-from-middle.bin": request(24, 4, 10, 24, start=3, scans=4),
        "bits-half-the-image.bin": request(24, 4, 10, 24, room=128 + 64),
        "bits-less-than-a-row.bin": request(8, 33, 2, 8, room=128 + 10),
        # Refusals: another width, RLE asked for, a depth that does not exist, a start past the end.
        "width-mismatch.bin": request(24, 4, 4, 24, wider_header=True),
        "rle8-asked.bin": request(8, 4, 4, 8, rle=True),
        "depth-2.bin": request(8, 4, 4, 2),
        "start-past-end.bin": request(8, 4, 4, 8, start=4),
    }


def write(folder, seeds):
    os.makedirs(folder, exist_ok=True)
    for name, data in seeds.items():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(data)


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")
    write(os.path.join(root, "fuzz_stretch_dibits"), stretch_seeds())
    write(os.path.join(root, "fuzz_get_dibits"), get_seeds())


if __name__ == "__main__":
    main()
