# Shared by the end-to-end scripts: a private Xvfb, the real program started on
# it, clicks at client-area coordinates and PPM pixels for comparisons.

need_tools() {
    if ! command -v Xvfb >/dev/null; then
        echo "SKIP: Xvfb is not installed"
        exit 77
    fi
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing"; exit 1; }
    done
}

work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
    pkill -f "xclip.*$work" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

start_xvfb() {
    Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -s "$work/display" ] && break
        sleep 0.1
    done
    [ -s "$work/display" ] || { echo "FAIL: Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
    export DISPLAY=":$(head -n1 "$work/display")"
    unset WAYLAND_DISPLAY QT_QPA_PLATFORM
}

# start_program MORVI [PICTURE]: sets wid, client_x and client_y.
start_program() {
    "$@" >"$work/morvi.log" 2>&1 &
    app_pid=$!
    wid=$(timeout 20 xdotool search --sync --onlyvisible --name 'モルビ' | head -n1)
    [ -n "$wid" ] || { echo "FAIL: the window did not appear"; cat "$work/morvi.log"; exit 1; }
    eval "$(xdotool getwindowgeometry --shell "$wid")"
    client_x=$X
    client_y=$((Y + HEIGHT - 480))   # the menu bar sits above the 417 x 480 client part
    xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowfocus --sync "$wid"
    sleep 0.3
}

# click X Y: a left click at client-area coordinates.
click() {
    xdotool mousemove --sync $((client_x + $1)) $((client_y + $2)) click 1
    sleep 0.4
}

# keys KEY...: key presses to the window, one after another.
keys() {
    local key
    for key in "$@"; do
        xdotool key --window "$wid" "$key"
        sleep 0.3
    done
}

# clipboard_png FILE: what other programs read from the clipboard as image/png.
clipboard_png() {
    local tries
    for tries in $(seq 20); do
        if xclip -selection clipboard -t image/png -o >"$1" 2>/dev/null && [ -s "$1" ]; then
            return 0
        fi
        sleep 0.2
    done
    return 1
}

# put_clipboard FILE TYPE: another program offers FILE on the clipboard.
put_clipboard() {
    xclip -selection clipboard -t "$2" -i "$1" &
    sleep 0.5
}
