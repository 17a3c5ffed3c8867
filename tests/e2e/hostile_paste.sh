#!/bin/bash
# Another program offers crafted image/bmp data and the real program is pasted
# into: a 1 x 1 RLE8 picture whose 16 MB stream never ends its line (it once
# wrote outside its row and killed the program), then 54 bytes that claim an RLE8
# picture of 32768 x 32768 (it once took 5 GB). The program keeps running: the
# first paste gives the 1 x 1 picture, the second is refused with a warning box
# and leaves that picture; its peak memory stays far below the claimed size.
set -u
morvi=${1:?usage: hostile_paste.sh path/to/morvi}
. "$(dirname "$0")/x11_session.sh"
need_tools xdotool xclip identify perl
start_xvfb
start_program "$morvi"

# bmp FILE WIDTH HEIGHT PIXELS: an RLE8 BMP file with a two-colour table; PIXELS
# is a Perl expression for the RLE data (shell strings cannot hold its zeros).
bmp() {
    perl -e 'my ($w, $h, $bits) = ($ARGV[0], $ARGV[1], eval $ARGV[2]);
             my $off = 14 + 40 + 8;
             print pack("A2 V v v V", "BM", $off + length($bits), 0, 0, $off),
                   pack("V l l v v V V l l V V", 40, $w, $h, 1, 8, 1, length($bits), 0, 0, 2, 2),
                   pack("C8", 0, 0, 255, 0, 255, 255, 255, 0), $bits' "$2" "$3" "$4" >"$1"
}
# One pixel of index 0 (red), then 8.5 million run pixels of index 1 on the same line.
bmp "$work/wrap.bmp" 1 1 '"\x01\x00" . ("\xff\x01" x 8500000)'
bmp "$work/huge.bmp" 32768 32768 '"\x00\x01"'
[ "$(stat -c %s "$work/wrap.bmp")" -eq $((62 + 2 + 17000000)) ] || { echo "FAIL: the test picture came out wrong"; exit 1; }

alive() { kill -0 "$app_pid" 2>/dev/null || { echo "FAIL: the program died ($1)"; cat "$work/morvi.log"; exit 1; }; }

put_clipboard "$work/wrap.bmp" image/bmp
click 200 16   # Button2, paste
sleep 1
alive "pasting the endless run"
click 342 16   # Button1, copy
clipboard_png "$work/pasted.png" || { echo "FAIL: nothing copied after the paste"; exit 1; }
size=$(identify -format '%wx%h' "$work/pasted.png")
colour=$(identify -format '%[pixel:p{0,0}]' "$work/pasted.png")
[ "$size" = "1x1" ] || { echo "FAIL: pasted $size, expected 1x1"; exit 1; }
case "$colour" in *"255,0,0"*|red) ;; *) echo "FAIL: pasted pixel $colour, expected red"; exit 1 ;; esac
echo "ok   the endless run is pasted as its 1 x 1 picture and the program runs on"

pkill -f "xclip.*$work" 2>/dev/null; sleep 0.3
put_clipboard "$work/huge.bmp" image/bmp
click 200 16   # Button2, paste
box=$(timeout 10 xdotool search --sync --onlyvisible --name '警告' | head -n1)
[ -n "$box" ] || { echo "FAIL: no warning box for the gigantic picture"; exit 1; }
alive "pasting the gigantic picture"
peak=$(awk '/VmHWM/ { print $2 }' "/proc/$app_pid/status")
xdotool windowfocus --sync "$box" 2>/dev/null; xdotool key Return
sleep 0.5
[ "$peak" -lt 400000 ] || { echo "FAIL: peak memory ${peak} kB after the refusal"; exit 1; }
click 342 16   # Button1, copy: the picture from before is still there
clipboard_png "$work/kept.png" || { echo "FAIL: nothing copied after the refusal"; exit 1; }
size=$(identify -format '%wx%h' "$work/kept.png")
[ "$size" = "1x1" ] || { echo "FAIL: after the refusal the session holds $size, expected the 1x1 picture"; exit 1; }
echo "ok   the 32768 x 32768 claim is refused with a warning, the picture stays, peak memory ${peak} kB"
exit 0
