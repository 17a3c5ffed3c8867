#!/bin/bash
# The real program and another program share the X clipboard: a copy at a chosen
# magnification reaches xclip at exactly the computed size, and a picture xclip
# offers is pasted, copied back and read again with the same pixels.
set -u
morvi=${1:?usage: clipboard_roundtrip.sh path/to/morvi}
. "$(dirname "$0")/x11_session.sh"
need_tools xdotool xclip convert compare
start_xvfb

convert -size 640x480 gradient:'#ff0000-#0000ff' "BMP3:$work/start.bmp"
start_program "$morvi" "$work/start.bmp"

# One click on the up arrow of UpDown1 (357, 436; 16 x 20): area x2, 910 x 680.
click 365 440
click 342 16   # Button1, copy
clipboard_png "$work/copied.png" || { echo "FAIL: nothing on the clipboard"; exit 1; }
size=$(identify -format '%wx%h' "$work/copied.png")
[ "$size" = "910x680" ] || { echo "FAIL: copied $size, expected 910x680"; exit 1; }
echo "ok   copy at magnification 2: $size"

# Another program's picture: pasted, then copied back unchanged.
convert -size 123x45 plasma:fractal -seed 7 "PNG24:$work/offered.png" 2>/dev/null ||
    convert -size 123x45 gradient:'#00ff00-#ff00ff' "PNG24:$work/offered.png"
put_clipboard "$work/offered.png" image/png
click 200 16   # Button2, paste
click 342 16   # Button1, copy
clipboard_png "$work/back.png" || { echo "FAIL: nothing copied back"; exit 1; }
size=$(identify -format '%wx%h' "$work/back.png")
[ "$size" = "123x45" ] || { echo "FAIL: copied back $size, expected 123x45"; exit 1; }
diff=$(compare -metric AE "$work/offered.png" "$work/back.png" null: 2>&1)
[ "$diff" = "0" ] || { echo "FAIL: $diff pixels differ after paste and copy"; exit 1; }
echo "ok   paste and copy back: identical 123x45 pixels"
exit 0
