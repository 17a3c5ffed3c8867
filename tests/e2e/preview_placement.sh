#!/bin/bash
# Starts morvi under a private Xvfb with a one-colour picture on the command line
# and checks from a screenshot that the preview lies where the fit puts it:
# panel (8, 32) in the client area below the menu bar, plus the fit's offset,
# at the fit's size. One landscape and one portrait picture.
set -u
morvi=${1:?usage: preview_placement.sh path/to/morvi}

. "$(dirname "$0")/x11_session.sh"
need_tools xdotool import convert
start_xvfb

failures=0
# name  width height  fit-left fit-top fit-width fit-height
while read -r name width height fl ft fw fh; do
    picture="$work/$name.bmp"
    convert -size "${width}x${height}" xc:'#ff00ff' "BMP3:$picture"
    "$morvi" "$picture" >"$work/morvi.log" 2>&1 &
    app_pid=$!
    wid=$(timeout 20 xdotool search --sync --onlyvisible --name 'モルビ' | head -n1)
    if [ -z "$wid" ]; then
        echo "FAIL $name: the window did not appear"; cat "$work/morvi.log"
        failures=$((failures + 1)); kill "$app_pid"; wait "$app_pid" 2>/dev/null; app_pid=; continue
    fi
    eval "$(xdotool getwindowgeometry --shell "$wid")"   # X Y WIDTH HEIGHT
    client_x=$X
    client_y=$((Y + HEIGHT - 480))   # the menu bar sits above the 417 x 480 client part
    want="${fw}x${fh}+$((client_x + 8 + fl))+$((client_y + 32 + ft))"
    got=
    # The first frames may still be on their way; look again for a while.
    for _ in $(seq 50); do
        import -window root "$work/shot.png"
        got=$(convert "$work/shot.png" -fill black +opaque '#ff00ff' -trim -format '%wx%h%X%Y' info:)
        [ "$got" = "$want" ] && break
        sleep 0.2
    done
    if [ "$got" = "$want" ]; then
        echo "ok   $name: preview at $got"
    else
        echo "FAIL $name: preview at $got, expected $want (window ${WIDTH}x${HEIGHT}+$X+$Y)"
        failures=$((failures + 1))
    fi
    [ "$WIDTH" = 417 ] || { echo "FAIL $name: window width $WIDTH"; failures=$((failures + 1)); }
    kill "$app_pid"; wait "$app_pid" 2>/dev/null; app_pid=
done <<'CASES'
landscape 640 480 1 50 398 299
portrait 480 640 51 1 298 398
CASES

if [ "$failures" -ne 0 ]; then
    exit 1
fi
exit 0
