#!/usr/bin/env bash
# Run inside dbus-run-session: starts PROGRAM under a private Xvfb with the
# accessibility bridge on, opens the manual from the help menu with the keyboard
# and checks that the viewer shows the manual's first line.
set -euo pipefail
program=$1
manual=$2
. "$(dirname "$0")/common.sh"
WORK=$(mktemp -d)
trap 'kill ${PROGRAM_PID:-} ${XVFB_PID:-} 2>/dev/null || true; rm -rf "$WORK"' EXIT

export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
start_xvfb
start_program_and_wait "$program"
xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
sleep 0.5
xdotool key --window "$WINDOW" alt+h   # ﾍﾙﾌﾟ(&H)
sleep 0.5
xdotool key Return                     # its first item: 取説ﾄﾞｷｭﾒﾝﾄの表示 ...
# The viewer's own window, before its contents are read.
timeout 20 xdotool search --sync --onlyvisible --name 'テキスト表示' >/dev/null || fail "the viewer did not open"
sleep 0.5
first=$(iconv -f CP932 -t UTF-8 "$manual" | head -n 1 | tr -d '\r')
lines=$(/usr/bin/python3 "$(dirname "$0")/viewer_lines.py" 30) || fail "the viewer did not show any line"
shown=$(head -n 1 <<<"$lines")
[ "$shown" = "$first" ] || fail "the viewer shows \"$shown\", the manual begins \"$first\""
echo "the viewer started through $program shows the manual's first line"
