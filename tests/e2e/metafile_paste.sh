#!/bin/bash
# A drawing another program puts on the X clipboard as EMF (the type office
# suites use) is pasted by the real program, which says it scales the long side,
# and copied back at the size the long-side rule gives.
set -u
morvi=${1:?usage: metafile_paste.sh path/to/morvi SHAPES.emf}
emf=${2:?usage: metafile_paste.sh path/to/morvi SHAPES.emf}
. "$(dirname "$0")/x11_session.sh"
need_tools xdotool xclip identify
start_xvfb
start_program "$morvi"

put_clipboard "$emf" image/x-emf
click 200 16   # Button2, paste
# The information box about the long side; OK closes it.
box=$(timeout 10 xdotool search --sync --onlyvisible --name '情報' | head -n1)
[ -n "$box" ] || { echo "FAIL: no information box"; exit 1; }
xdotool windowfocus --sync "$box" 2>/dev/null; xdotool key Return
sleep 0.5
click 342 16   # Button1, copy
clipboard_png "$work/pasted.png" || { echo "FAIL: nothing copied"; exit 1; }
size=$(identify -format '%wx%h' "$work/pasted.png")
# 242 x 162 pixels at 96 dpi: long side 1600, short side 67 % of it.
[ "$size" = "1600x1072" ] || { echo "FAIL: copied $size, expected 1600x1072"; exit 1; }
echo "ok   EMF pasted and copied back at $size"
exit 0
