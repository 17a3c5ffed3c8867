#!/bin/bash
# morvi-resize as scripts and people at a terminal use it: the sizes of the
# window's rules, where it writes and what it never writes over, the same bytes
# with any number of jobs, failures named per file while the run goes on, the
# exit status, the progress bar only on a terminal, and no display needed.
# usage: test_morvi_resize.sh MORVI_RESIZE DIBTOOL WORK_DIR
set -u
tool=$1
dibtool=$2
work=$3
rm -rf "$work" && mkdir -p "$work/in" || exit 1
cd "$work" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
size() { "$dibtool" info "$1" 2>/dev/null | awk -F= '/^width=/ { w = $2 } /^height=/ { h = $2 < 0 ? -$2 : $2 } END { print w "x" h }'; }
jsize() { identify -format '%wx%h' "$1" 2>/dev/null; }
command -v convert >/dev/null || { echo "SKIP: ImageMagick is missing"; exit 77; }

# Pictures of the kinds the window's batch meets.
convert -size 800x600 gradient:red-blue -quality 92 in/a.jpg
convert -size 480x640 gradient:green-yellow -quality 92 in/b.JPG
convert -size 300x200 gradient:white-black BMP3:in/c.bmp
convert -size 64x48 xc:orange in/d.ico
cp in/a.jpg in/e.jpeg
printf 'not a picture' >in/broken.jpg
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

# --- sizes ---------------------------------------------------------------------------
"$tool" --magnification 1/4 --out out1 in/a.jpg in/b.JPG in/c.bmp in/d.ico in/e.jpeg 2>err1
status=$?
[ "$status" -eq 0 ] || fail "magnification: exit $status ($(cat err1))"
[ -s err1 ] && fail "magnification: wrote to stderr without a terminal: $(cat err1)"
[ "$(jsize out1/a.jpg)" = 400x300 ] || fail "1/4 of 800x600 gave $(jsize out1/a.jpg)"
[ "$(jsize out1/b.JPG)" = 240x320 ] || fail "1/4 of 480x640 gave $(jsize out1/b.JPG) (the name keeps its capitals)"
# Sides are rounded to tens leaning upward: 150 -> 160, and 32 x 24 -> 40 x 30.
[ "$(size out1/c.bmp)" = 160x100 ] || fail "1/4 of 300x200 gave $(size out1/c.bmp)"
[ "$(size out1/d.bmp)" = 40x30 ] || fail "an icon is written as BMP: $(size out1/d.bmp)"
[ "$(size out1/e.bmp)" = 400x300 ] || fail "a .jpeg file is written as BMP like the window's batch does"
[ -e out1/d.ico ] && fail "an icon was written as .ico"
"$tool" --magnification 2 --out out2 in/a.jpg || fail "magnification 2"
[ "$(jsize out2/a.jpg)" = 1140x850 ] || fail "area x2 of 800x600 gave $(jsize out2/a.jpg)"
"$tool" --width 100 --out out3 in/a.jpg in/c.bmp || fail "width alone"
[ "$(jsize out3/a.jpg)" = 100x80 ] || fail "--width 100 of 800x600 gave $(jsize out3/a.jpg)"
[ "$(size out3/c.bmp)" = 100x70 ] || fail "--width 100 of 300x200 gave $(size out3/c.bmp)"
"$tool" --height 100 --out out4 in/a.jpg || fail "height alone"
[ "$(jsize out4/a.jpg)" = 130x100 ] || fail "--height 100 of 800x600 gave $(jsize out4/a.jpg)"
"$tool" --width 50 --height 70 --out out5 in/a.jpg in/b.JPG || fail "both sides"
[ "$(jsize out5/a.jpg)" = 50x70 ] && [ "$(jsize out5/b.JPG)" = 50x70 ] || fail "--width 50 --height 70 is every file's size"
"$tool" --region 10,20,30,40 --out out6 in/c.bmp || fail "region"
[ "$(size out6/c.bmp)" = 30x40 ] || fail "--region 10,20,30,40 gave $(size out6/c.bmp)"
"$tool" --format jpg --out out7 in/c.bmp || fail "format jpg"
[ "$(jsize out7/c.jpg)" = 300x200 ] || fail "--format jpg writes c.jpg at its own size"
"$tool" --format bmp --out out7 in/a.jpg || fail "format bmp"
[ "$(size out7/a.bmp)" = 800x600 ] || fail "--format bmp writes a.bmp"
# The kinds besides BMP and JPEG: asked for, and kept by a source of that kind.
"$tool" --format png --out out9 in/c.bmp || fail "format png"
[ "$(identify -format '%m %wx%h' out9/c.png 2>/dev/null)" = "PNG 300x200" ] || fail "--format png writes c.png"
"$tool" --format webp --magnification 1/4 --out out9 out9/c.png || fail "format webp"
[ "$(identify -format '%m %wx%h' out9/c.webp 2>/dev/null)" = "WEBP 160x100" ] || fail "--format webp writes c.webp"
"$tool" --width 100 --in-place out9/c.png out9/c.webp || fail "in place over PNG and WebP"
[ "$(identify -format '%m %wx%h' out9/c.png 2>/dev/null)" = "PNG 100x70" ] || fail "a PNG stays a PNG in place"
[ "$(identify -format '%m %wx%h' out9/c.webp 2>/dev/null)" = "WEBP 100x60" ] || fail "a WebP stays a WebP in place"
[ -e out9/c.bmp ] && fail "a PNG or WebP source got a .bmp beside it"

# --- the same bytes with any number of jobs ----------------------------------------
mkdir photos
for i in $(seq 12); do convert -size $((200 + 37 * i))x$((150 + 23 * i)) plasma:fractal -seed "$i" photos/p$i.jpg 2>/dev/null ||
    convert -size $((200 + 37 * i))x$((150 + 23 * i)) gradient:blue-red photos/p$i.jpg; done
"$tool" --magnification 1/2 --jobs 1 --out one photos/p*.jpg || fail "jobs 1"
"$tool" --magnification 1/2 --jobs 5 --out five photos/p*.jpg || fail "jobs 5"
"$tool" --magnification 1/2 --out default photos || fail "a folder with the default jobs"
for f in one/*.jpg; do
    cmp -s "$f" "five/${f#one/}" || fail "$f differs between one job and five"
    cmp -s "$f" "default/${f#one/}" || fail "$f differs between one job and the default"
done
[ "$(ls one | wc -l)" -eq 12 ] || fail "not every file was written"

# --- where it writes and what it never writes over ----------------------------------
mkdir place && cp in/c.bmp in/d.ico place/
before=$(md5sum place/d.ico)
"$tool" --in-place --magnification 1/4 place/c.bmp place/d.ico 2>errp || fail "in place: $(cat errp)"
[ "$(size place/c.bmp)" = 160x100 ] || fail "in place: c.bmp was not replaced"
[ "$(md5sum place/d.ico)" = "$before" ] || fail "in place: the icon itself was changed"
[ "$(size place/d.bmp)" = 40x30 ] || fail "in place: the icon's BMP is not beside it"
grep -q 'd.ico: written as .*d.bmp beside it' errp || fail "in place: no note about d.bmp ($(cat errp))"
"$tool" --in-place --quiet --magnification 1/4 place/d.ico 2>errq
[ -s errq ] && fail "--quiet still wrote: $(cat errq)"
cp in/c.bmp same.bmp
"$tool" --out . same.bmp 2>errs
[ $? -eq 1 ] || fail "--out . over the picture itself must fail"
grep -q 'use --in-place' errs || fail "no reason for refusing to write over the source: $(cat errs)"
mkdir -p twin/x twin/y && cp in/a.jpg twin/x/t.jpg && cp in/b.JPG twin/y/t.jpg
"$tool" --out twinout twin/x/t.jpg twin/y/t.jpg 2>errt
[ $? -eq 1 ] || fail "two pictures on one output name must fail"
grep -q 'twin/y/t.jpg: .*already the output of twin/x/t.jpg' errt || fail "twin names: $(cat errt)"
[ "$(jsize twinout/t.jpg)" = 800x600 ] || fail "the first of two twins is still written"

# --- failures, per file, and the run goes on -----------------------------------------
"$tool" --out out8 in/a.jpg in/broken.jpg missing.jpg in/c.bmp 2>err8
status=$?
[ "$status" -eq 1 ] || fail "a failing file: exit $status, expected 1"
grep -q '^morvi-resize: in/broken.jpg: ' err8 || fail "the broken file is not named: $(cat err8)"
grep -q '^morvi-resize: missing.jpg: no such file' err8 || fail "the missing file is not named: $(cat err8)"
[ -e out8/a.jpg ] && [ -e out8/c.bmp ] || fail "the good files were not written after a failure"
[ -e out8/broken.jpg ] && fail "something was written for the broken file"

# --- unusable arguments ----------------------------------------------------------------
for args in "in/a.jpg" "--out o --in-place in/a.jpg" "--magnification 3 --out o in/a.jpg" \
            "--magnification 1/4 --width 5 --out o in/a.jpg" "--width 0 --out o in/a.jpg" \
            "--no-keep-aspect --width 5 --out o in/a.jpg" "--region 1,2,3 --out o in/a.jpg" \
            "--format gif --out o in/a.jpg" "--jobs 0 --out o in/a.jpg" "--out o" "--frobnicate --out o in/a.jpg"; do
    # shellcheck disable=SC2086
    "$tool" $args >outu 2>erru
    status=$?
    [ "$status" -eq 2 ] || fail "\"$args\": exit $status, expected 2"
    [ -s outu ] && fail "\"$args\": wrote to stdout"
    grep -q "^morvi-resize: " erru || fail "\"$args\": no reason on stderr"
done
[ -e o ] && fail "an unusable run made its output folder"
"$tool" --help >help 2>&1 || fail "--help: exit $?"
grep -q -- '--magnification' help || fail "--help does not list the options"

# --- the progress bar, on a terminal only ----------------------------------------------
if command -v script >/dev/null; then
    script -qec "'$tool' --magnification 1/2 --jobs 2 --out outbar photos/p1.jpg photos/p2.jpg photos/p3.jpg" /dev/null >bar
    grep -q '3/3' bar || fail "no progress bar on a terminal: $(tr '\r' '\n' <bar | tail -n 3)"
fi

[ "$failures" -eq 0 ] && echo "ok   morvi-resize"
exit "$((failures > 0))"
