#!/bin/bash
# Pictures as people have them today, through the real program and the real X
# clipboard: a phone photo stored on its side (EXIF orientation 6) named on the
# command line reaches xclip upright, and a PNG screenshot with a transparent
# corner, dragged onto the window from another program, is copied at its size,
# its colours kept and the corner white.
set -u
morvi=${1:?usage: new_kinds.sh path/to/morvi path/to/drag_source}
drag_source=${2:?usage: new_kinds.sh path/to/morvi path/to/drag_source}
. "$(dirname "$0")/x11_session.sh"
need_tools xdotool xclip convert exiftool
start_xvfb

# pixel FILE X Y: the colour at (X, Y) as rrggbb.
pixel() { convert "$1" -format "%[hex:p{$2,$3}]" info: | cut -c1-6 | tr 'A-F' 'a-f'; }
# near A B: two rrggbb colours within 24 on every channel (JPEG's own error).
near() {
    local i a b
    for i in 0 2 4; do
        a=$((16#${1:i:2})); b=$((16#${2:i:2}))
        [ $((a > b ? a - b : b - a)) -le 24 ] || return 1
    done
}

# Upright: red top left, green top right, blue bottom left, yellow bottom right.
convert -size 80x40 xc:'#e01010' -size 80x40 xc:'#10c010' +append \
        \( -size 80x40 xc:'#1010e0' -size 80x40 xc:'#e0e010' +append \) -append "$work/upright.png"
convert "$work/upright.png" -rotate -90 -quality 95 "$work/phone.jpg"   # as the camera stored it
exiftool -q -overwrite_original -n -Orientation=6 "$work/phone.jpg"
start_program "$morvi" "$work/phone.jpg"
click 342 16   # Button1, copy
clipboard_png "$work/copied.png" || { echo "FAIL: nothing on the clipboard"; exit 1; }
size=$(identify -format '%wx%h' "$work/copied.png")
[ "$size" = "160x80" ] || { echo "FAIL: the photo reached the clipboard as $size, expected 160x80 upright"; exit 1; }
for spot in "5 5 e01010" "154 5 10c010" "5 74 1010e0" "154 74 e0e010"; do
    set -- $spot
    got=$(pixel "$work/copied.png" "$1" "$2")
    near "$got" "$3" || { echo "FAIL: at $1,$2 the copy has $got, expected $3 (not upright)"; exit 1; }
done
echo "ok   phone photo from the command line: upright $size on the clipboard"
kill "$app_pid"; wait "$app_pid" 2>/dev/null; app_pid=

# A PNG screenshot with a transparent corner, dragged from another program
# whose window lies beside the centred one.
convert -size 90x60 xc:'#336699' -alpha set -region 10x10+0+0 -alpha transparent +region "PNG32:$work/shot.png"
start_program "$morvi"
"$drag_source" "$work/shot.png" 840 40 >"$work/drag.log" 2>&1 &
drag_pid=$!
timeout 20 xdotool search --sync --onlyvisible --name 'drag-source' >/dev/null ||
    { echo "FAIL: the drag source did not appear"; kill "$drag_pid"; exit 1; }
sleep 0.5
xdotool mousemove --sync 900 100 mousedown 1
sleep 0.3
for x in 895 890 880 850 800 750 700 600; do
    xdotool mousemove --sync "$x" $((client_y + 200))
    sleep 0.15
done
xdotool mousemove --sync $((client_x + 200)) $((client_y + 240))
sleep 0.5
xdotool mouseup 1
sleep 1
kill "$drag_pid" 2>/dev/null
wait "$drag_pid" 2>/dev/null
click 342 16   # Button1, copy
clipboard_png "$work/shot-copy.png" || { echo "FAIL: nothing on the clipboard after the drop"; exit 1; }
size=$(identify -format '%wx%h' "$work/shot-copy.png")
[ "$size" = "90x60" ] || { echo "FAIL: the dropped PNG was copied as $size, expected 90x60"; exit 1; }
[ "$(pixel "$work/shot-copy.png" 50 40)" = "336699" ] || { echo "FAIL: the dropped PNG lost its colour"; exit 1; }
[ "$(pixel "$work/shot-copy.png" 2 2)" = "ffffff" ] || { echo "FAIL: the transparent corner is not white"; exit 1; }
echo "ok   PNG dragged from another program: $size, its colour kept, transparency on white"
exit 0
