#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a temporary folder and runs the
# programs from there.
set -euo pipefail
build=$1
source_dir=$2
. "$(dirname "$0")/common.sh"

WORK=$(mktemp -d)
trap 'kill ${PROGRAM_PID:-} ${XVFB_PID:-} 2>/dev/null || true; rm -rf "$WORK"' EXIT

(cd "$WORK" && cpack --config "$build/CPackConfig.cmake" -G DEB >/dev/null)
deb=$(ls "$WORK"/*.deb | head -1)
[ -f "$deb" ] || fail "no package built"
depends=$(dpkg-deb -f "$deb" Depends)
grep -q 'libqt6widgets6' <<<"$depends" || fail "Depends lacks Qt: $depends"
grep -q 'libjpeg62-turbo' <<<"$depends" || fail "Depends lacks libjpeg: $depends"

dpkg-deb -x "$deb" "$WORK/root"
[ -L "$WORK/root/usr/bin/morvi" ] || fail "usr/bin/morvi is not a link"
write_small_bmp "$WORK/small.bmp"
"$WORK/root/usr/bin/dibtool" info "$WORK/small.bmp" | grep -qx 'height=2' || fail "dibtool from the package"
env -u DISPLAY "$WORK/root/usr/bin/morvi-resize" --out "$WORK/out" "$WORK/small.bmp" || fail "morvi-resize from the package"
[ -s "$WORK/out/small.bmp" ] || fail "morvi-resize from the package wrote nothing"

start_xvfb
start_program_and_wait "$WORK/root/usr/bin/morvi" "$WORK/small.bmp"
kill "$PROGRAM_PID"
echo "debian package ok: $(basename "$deb")"
