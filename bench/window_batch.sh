#!/bin/bash
# Times the main job through the real program, as a user does it: the window's
# batch conversion of one 6000 x 4000 JPEG to a quarter of its area (the
# magnification box at 1/4), timed from the Return key that accepts the file in
# the batch's dialog to the moment the file is replaced on disk. Beside it, in
# the same run and on the same file, `vips resize in.jpg out.jpg[Q=90] 0.5`.
# Both medians over the rounds and their ratio are printed.
# Target: the window at most 0.8 x vips.
# usage: bench/window_batch.sh BUILD_DIR [ROUNDS]
set -euo pipefail
build=$(cd "$1" && pwd)
rounds=${2:-7}
for tool in Xvfb xdotool vips python3; do
    command -v "$tool" >/dev/null || { echo "$tool is needed (xvfb, xdotool, libvips-tools, python3)" >&2; exit 2; }
done
photo=$("$build/bench/bench_compose_save" --make-photo)
work=$(mktemp -d)
xvfb=
app=
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"
unset QT_QPA_PLATFORM
"$build/app/morvi" >"$work/morvi.log" 2>&1 &
app=$!
wid=$(timeout 20 xdotool search --sync --onlyvisible --name 'モルビ' | head -n1)
eval "$(xdotool getwindowgeometry --shell "$wid")"
client_x=$X
client_y=$((Y + HEIGHT - 480))
xdotool windowfocus --sync "$wid"
# Two clicks on the lower half of the up-down (357, 436; 16 x 20): 1/4.
for _ in 1 2; do xdotool mousemove --sync $((client_x + 365)) $((client_y + 451)) click 1; sleep 0.3; done

# One round: a fresh copy of the photo, the batch's dialog opened with Alt+F, I,
# the path typed, then Return; the time runs until the file's inode changes
# (the safe save renames the new file over it).
cat >"$work/round.py" <<'PY'
import os, subprocess, sys, time
path, wid = sys.argv[1], sys.argv[2]
before = os.stat(path).st_ino
subprocess.run(["xdotool", "key", "Return"], check=True)
start = time.monotonic()
while True:
    try:
        if os.stat(path).st_ino != before:
            break
    except FileNotFoundError:
        pass
    if time.monotonic() - start > 30:
        sys.exit("the file was not replaced")
    time.sleep(0.001)
print("%.1f" % (1000 * (time.monotonic() - start)))
PY
window_round() {
    cp "$photo" "$work/photo.jpg"
    sync
    # Without a window manager the focus stays where it was put last.
    xdotool windowfocus --sync "$wid"
    xdotool key alt+f
    sleep 0.4
    xdotool key i
    local dialog=
    for _ in $(seq 50); do
        dialog=$(xdotool search --onlyvisible --name '.' | grep -v "^$wid\$" | tail -n1 || true)
        [ -n "$dialog" ] && break
        sleep 0.1
    done
    [ -n "$dialog" ] || { echo "the batch's dialog did not open" >&2; exit 1; }
    xdotool windowfocus --sync "$dialog"
    sleep 0.5
    xdotool type --delay 1 "$work/photo.jpg"
    sleep 0.3
    python3 "$work/round.py" "$work/photo.jpg" "$dialog"
    sleep 1.5   # the window reads the last picture whole again, then waits
    # A run that wrote the wrong picture must not pass for a fast one.
    [ "$(identify -format '%wx%h' "$work/photo.jpg")" = 3000x2000 ] || { echo "the batch wrote the wrong size" >&2; exit 1; }
}
vips_round() {
    cp "$photo" "$work/vips.jpg"
    sync
    local start end
    start=$(date +%s%N)
    vips resize "$work/vips.jpg" "$work/vips-out.jpg[Q=90]" 0.5
    end=$(date +%s%N)
    awk -v s="$start" -v e="$end" 'BEGIN { printf "%.1f\n", (e - s) / 1e6 }'
}

window_round >/dev/null   # warm-up: page cache, the dialog's first showing
vips_round >/dev/null
for ((i = 0; i < rounds; i++)); do
    window_round >>"$work/window.times"
    vips_round >>"$work/vips.times"
done
median() { sort -g "$1" | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }
w=$(median "$work/window.times")
v=$(median "$work/vips.times")
echo "photo: $photo, $rounds rounds, medians"
echo "window batch (Return to replaced file): $w ms   ($(tr '\n' ' ' <"$work/window.times"))"
echo "vips resize:                            $v ms   ($(tr '\n' ' ' <"$work/vips.times"))"
awk -v w="$w" -v v="$v" 'BEGIN { printf "window / vips: %.2f (target <= 0.8)\n", w / v; exit !(w / v <= 0.8) }'
