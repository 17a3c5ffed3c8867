#!/bin/bash
# While the batch conversion runs, keys the user types wait until it has ended:
# digits typed into the width box during the run must not change the size of the
# files converted after the first one.
set -u
morvi=$(readlink -f "${1:?usage: batch_holds_input.sh path/to/morvi}")
. "$(dirname "$0")/x11_session.sh"
need_tools xdotool convert identify
start_xvfb

names=()
for i in 1 2 3 4 5 6; do
    convert -size 3000x2000 gradient:'#ff0000-#0000ff' "BMP3:$work/f$i.bmp"
    names+=("\"f$i.bmp\"")
done
cd "$work" || exit 1
start_program "$morvi" "$work/f1.bmp"

# The boxes: width 100, the height as it is (keep-aspect off).
click 20 446
click 142 446
xdotool key --window "$wid" ctrl+a
xdotool type --window "$wid" 100
xdotool key --window "$wid" Tab
sleep 0.3
click 142 446
xdotool key --window "$wid" End

keys alt+f i                       # 一括サイズ変換(&I): the open dialog
sleep 1.5
xdotool type --delay 20 "${names[*]}"
xdotool key Return
# Typed into the width box while the batch works on the first files.
xdotool key --window "$wid" 5 5 5

for _ in $(seq 300); do
    done_files=0
    for i in 1 2 3 4 5 6; do
        [ "$(stat -c %s "$work/f$i.bmp")" -lt 1000000 ] && done_files=$((done_files + 1))
    done
    [ "$done_files" -eq 6 ] && break
    sleep 0.2
done
sleep 1
widths=$(for i in 1 2 3 4 5 6; do identify -format '%w ' "$work/f$i.bmp"; done)
[ "$widths" = "100 100 100 100 100 100 " ] || { echo "FAIL: widths after the batch: $widths"; exit 1; }
echo "ok   every file of the batch written 100 wide; keys typed meanwhile waited"
exit 0
