#!/bin/bash
# A turn and a tone command through the real menu, then a copy: the picture
# another program reads from the clipboard equals the result computed here,
# byte for byte, without the program's code.
set -u
morvi=${1:?usage: menu_commands.sh path/to/morvi}
. "$(dirname "$0")/x11_session.sh"
need_tools xdotool xclip convert
start_xvfb

# A 7 x 5 picture with a different colour in every pixel.
/usr/bin/python3 - "$work/start.ppm" <<'PY'
import sys
w, h = 7, 5
with open(sys.argv[1], "wb") as f:
    f.write(b"P6 %d %d 255\n" % (w, h))
    for y in range(h):
        for x in range(w):
            f.write(bytes([(x * 37 + y * 11) % 256, (y * 53 + 240) % 256, (x * y * 29) % 256]))
PY
convert "$work/start.ppm" "BMP3:$work/start.bmp"
start_program "$morvi" "$work/start.bmp"

keys alt+g l        # 左に９０度回転(&L)
keys alt+g u        # 画像を明るくする(&U)
click 342 16        # Button1, copy
clipboard_png "$work/result.png" || { echo "FAIL: nothing on the clipboard"; exit 1; }
convert "$work/result.png" -depth 8 "$work/result.ppm"

/usr/bin/python3 - "$work/start.ppm" "$work/result.ppm" <<'PY'
import sys

def read_ppm(path):
    data = open(path, "rb").read()
    parts, pos = [], 0
    while len(parts) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos) + 1
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        parts.append(data[pos:end])
        pos = end
    w, h = int(parts[1]), int(parts[2])
    pixels = data[pos + 1:]
    return w, h, [[tuple(pixels[(y * w + x) * 3:(y * w + x) * 3 + 3]) for x in range(w)] for y in range(h)]

w, h, src = read_ppm(sys.argv[1])
rw, rh, got = read_ppm(sys.argv[2])
# Turned left (counter-clockwise): result (x, y) comes from source (w - 1 - y, x);
# then every byte 20 brighter, held at 255.
expected = [[tuple(min(255, c + 20) for c in src[x][w - 1 - y]) for x in range(h)] for y in range(w)]
if (rw, rh) != (h, w):
    sys.exit("FAIL: result is %dx%d, expected %dx%d" % (rw, rh, h, w))
bad = [(x, y, got[y][x], expected[y][x]) for y in range(w) for x in range(h) if got[y][x] != expected[y][x]]
if bad:
    sys.exit("FAIL: %d pixels differ, first %s" % (len(bad), bad[0]))
print("ok   turn left and brighter through the menu: %dx%d, every byte as computed" % (rw, rh))
PY
