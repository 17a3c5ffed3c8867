#!/usr/bin/env bash
# Installs into a temporary prefix, validates the desktop files and manual pages,
# and runs the installed programs through their links.
set -euo pipefail
build=$1
source_dir=$2
. "$(dirname "$0")/common.sh"

WORK=$(mktemp -d)
trap 'kill ${PROGRAM_PID:-} ${XVFB_PID:-} 2>/dev/null || true; rm -rf "$WORK"' EXIT
prefix=$WORK/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null

for f in bin/dibtool bin/morvi-resize lib/morvi/morvi share/applications/jp.morvi.Morvi.desktop \
         share/metainfo/jp.morvi.Morvi.metainfo.xml share/icons/hicolor/scalable/apps/morvi.svg \
         share/man/man1/morvi.1 share/man/man1/dibtool.1 share/man/man1/morvi-resize.1; do
  [ -e "$prefix/$f" ] || fail "$f is not installed"
done
for size in 16 22 24 32 48 64 128 256; do
  icon=$prefix/share/icons/hicolor/${size}x${size}/apps/morvi.png
  [ -s "$icon" ] || fail "icon ${size}x${size} missing"
  [ "$(identify -format '%wx%h' "$icon")" = "${size}x${size}" ] || fail "icon $icon has the wrong size"
done
[ -L "$prefix/bin/morvi" ] || fail "bin/morvi is not a link"
[ "$(readlink -f "$prefix/bin/morvi")" = "$(readlink -f "$prefix/lib/morvi/morvi")" ] || fail "bin/morvi points elsewhere"
[ -s "$prefix/lib/morvi/Morvi.txt" ] || fail "the manual is not beside the program"
[ -s "$prefix/lib/morvi/Morvi.HIS" ] || fail "the history is not beside the program"

desktop-file-validate "$prefix/share/applications/jp.morvi.Morvi.desktop"
grep -q '^MimeType=.*image/x-emf;' "$prefix/share/applications/jp.morvi.Morvi.desktop" || fail "MIME types"
appstreamcli validate --no-net "$prefix/share/metainfo/jp.morvi.Morvi.metainfo.xml" >/dev/null
for page in morvi dibtool morvi-resize; do
  warnings=$(LC_ALL=C.UTF-8 man --warnings -E UTF-8 -l "$prefix/share/man/man1/$page.1" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man page $page: $warnings"
done

# The installed dibtool reads a BMP.
write_small_bmp "$WORK/small.bmp"
info=$("$prefix/bin/dibtool" info "$WORK/small.bmp")
grep -qx 'width=4' <<<"$info" || fail "dibtool info: $info"
grep -qx 'format=kvpf24Bit' <<<"$info" || fail "dibtool info: $info"

# The installed converter works without a display.
mkdir "$WORK/resized"
env -u DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/morvi-resize" --magnification 1/4 --out "$WORK/resized" "$WORK/small.bmp" ||
  fail "morvi-resize from the installation"
info=$("$prefix/bin/dibtool" info "$WORK/resized/small.bmp")
grep -qx 'width=10' <<<"$info" || fail "morvi-resize wrote $info"

# The installed program starts through its link and finds its manual there.
dbus-run-session -- bash "$(dirname "$0")/viewer_check.sh" "$prefix/bin/morvi" "$prefix/lib/morvi/Morvi.txt" 2>"$WORK/dbus.log" ||
  { cat "$WORK/dbus.log" >&2; fail "manual viewer through the link"; }
echo "install layout ok"
