#!/bin/sh
# dibtool as scripts use it: exact info output, byte-exact re-saves and clipboard
# round trips, and on every failure exit 1, the engine's message last on stderr,
# an empty stdout and no OUT file (or the old one untouched).
# usage: test_dibtool.sh DIBTOOL CORPUS_DIR WORK_DIR
set -u
tool=$1
bmps=$2/fuzz_bmp_stream
dibs=$2/fuzz_clipboard_dib
work=$3
rm -rf "$work" && mkdir -p "$work" || exit 1
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# expect_ok NAME CMD... : exit 0 and nothing on stderr
expect_ok() {
    name=$1; shift
    if ! "$@" >"$work/out" 2>"$work/err"; then fail "$name: exit $? ($(tail -n 1 "$work/err"))"; return; fi
    [ -s "$work/err" ] && fail "$name: wrote to stderr: $(cat "$work/err")"
}

# expect_fail NAME OUT MESSAGE CMD... : exit 1, MESSAGE last on stderr, empty stdout, OUT absent
expect_fail() {
    name=$1; out=$2; message=$3; shift 3
    "$@" >"$work/out" 2>"$work/err"
    status=$?
    [ "$status" -eq 1 ] || fail "$name: exit $status, expected 1"
    [ -s "$work/out" ] && fail "$name: wrote to stdout"
    last=$(tail -n 1 "$work/err")
    [ -z "$message" ] || [ "$last" = "$message" ] || fail "$name: last stderr line \"$last\", expected \"$message\""
    [ -z "$out" ] || [ ! -e "$out" ] || fail "$name: $out was created"
}

# --- info ---------------------------------------------------------------------
expect_ok info-rle8 "$tool" info "$bmps/rle8.bmp"
printf 'width=8\nheight=2\nbitcount=8\ncompression=1\nclrused=4\nbitssize=16\nformat=kvpf8BitRLE\n' >"$work/want"
cmp -s "$work/out" "$work/want" || fail "info-rle8: got $(cat "$work/out")"

expect_ok info-topdown-bitfields "$tool" info "$bmps/bitfields565-topdown.bmp"
printf 'width=3\nheight=-2\nbitcount=24\ncompression=0\nclrused=0\nbitssize=24\nformat=kvpf24Bit\n' >"$work/want"
cmp -s "$work/out" "$work/want" || fail "info-topdown-bitfields: got $(cat "$work/out")"

# --- convert --------------------------------------------------------------------
for pair in info1:1bit info4:4bit info8:8bit info24:24bit rle4:4bitrle rle8:8bitrle; do
    f=${pair%%:*}
    expect_ok "convert-noop-$f" "$tool" convert "$bmps/$f.bmp" "$work/$f.bmp" "${pair#*:}"
    # Seeds that list their colours come back byte for byte; the others gain
    # biClrUsed once and are stable from then on.
    case $f in
        info1|info4) expect_ok "convert-again-$f" "$tool" convert "$work/$f.bmp" "$work/$f-2.bmp" "${pair#*:}"
                     cmp -s "$work/$f.bmp" "$work/$f-2.bmp" || fail "convert-noop-$f: not stable" ;;
        *) cmp -s "$bmps/$f.bmp" "$work/$f.bmp" || fail "convert-noop-$f: not byte-identical" ;;
    esac
done
expect_ok convert-noop-options "$tool" convert "$bmps/info24.bmp" "$work/opt.bmp" 24bit --quality high --mono 00FF80 --progress
cmp -s "$bmps/info24.bmp" "$work/opt.bmp" || fail "convert-noop-options: not byte-identical"
# Real conversions: the result has the asked format; --progress reports the
# colour reduction on stderr only.
for pair in 1bit:kvpf1Bit 4bit:kvpf4Bit 8bit:kvpf8Bit halftone:kvpf8Bit halftonebw:kvpf1Bit; do
    expect_ok "convert-$pair" "$tool" convert "$bmps/info24.bmp" "$work/to-${pair%%:*}.bmp" "${pair%%:*}" --mono 102030
    "$tool" info "$work/to-${pair%%:*}.bmp" | grep -qx "format=${pair#*:}" || fail "convert-$pair: wrong format"
done
# --mono names the colour that becomes white: a red and a blue pixel with FF0000
# give the bits 1 and 0 (red and blue must not trade places on the way).
printf 'BM\076\000\000\000\000\000\000\000\066\000\000\000\050\000\000\000\002\000\000\000\001\000\000\000\001\000\030\000\000\000\000\000\010\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\000\377\377\000\000\000\000' >"$work/redblue.bmp"
expect_ok convert-mono-red "$tool" convert "$work/redblue.bmp" "$work/redblue1.bmp" 1bit --mono FF0000
bits=$(od -An -tx1 -j62 -N1 "$work/redblue1.bmp" | tr -d ' ')
[ "$bits" = "80" ] || fail "convert-mono-red: first pixel byte $bits, expected 80 (red set, blue clear)"
"$tool" convert "$bmps/info24.bmp" "$work/progress.bmp" 8bit --quality high --progress >"$work/out" 2>"$work/err" ||
    fail "convert --progress: exit $?"
[ -s "$work/out" ] && fail "convert --progress: wrote to stdout"
head -n 1 "$work/err" | grep -q '^progress starting 0% ' || fail "convert --progress: first line $(head -n 1 "$work/err")"
tail -n 1 "$work/err" | grep -q '^progress ending 100% ' || fail "convert --progress: last line $(tail -n 1 "$work/err")"
# A core header comes back as an info header: same pixels, larger file.
expect_ok convert-noop-core "$tool" convert "$bmps/core24.bmp" "$work/core24.bmp" 24bit
[ "$(wc -c <"$work/core24.bmp")" -eq $(( $(wc -c <"$bmps/core24.bmp") + 28 )) ] || fail "convert-noop-core: size"

# --- clipboard ------------------------------------------------------------------
for f in info8 info24 rle8 rle4 bitfields32-1010102; do
    expect_ok "clip-in-$f" "$tool" clip-in "$dibs/$f.dib" "$work/clip-$f.bmp"
    expect_ok "clip-out-$f" "$tool" clip-out "$work/clip-$f.bmp" "$work/clip-$f.dib"
    case $f in
        bitfields*) [ "$(wc -c <"$work/clip-$f.dib")" -eq $((40 + 8 + 16)) ] || fail "clip-out $f: size" ;;
        *) cmp -s "$dibs/$f.dib" "$work/clip-$f.dib" || fail "clip round trip $f differs" ;;
    esac
done

# --- failures -------------------------------------------------------------------
printf 'XM' >"$work/notbmp.bmp" && tail -c +3 "$bmps/info8.bmp" >>"$work/notbmp.bmp"
head -c 40 "$bmps/info8.bmp" >"$work/short.bmp"
cp "$dibs/info24.dib" "$work/negwidth.dib" && printf '\373\377\377\377' | dd of="$work/negwidth.dib" bs=1 seek=4 conv=notrunc 2>/dev/null
cp "$bmps/info8.bmp" "$work/badbits.bmp" && printf '\002' | dd of="$work/badbits.bmp" bs=1 seek=28 conv=notrunc 2>/dev/null
cp "$bmps/info8.bmp" "$work/illegal.bmp" && printf '\002' | dd of="$work/illegal.bmp" bs=1 seek=30 conv=notrunc 2>/dev/null

expect_fail info-magic "" "TKvInternalDIB.LoadFromFile: File type is invalid" "$tool" info "$work/notbmp.bmp"
expect_fail info-short "" "Stream read error" "$tool" info "$work/short.bmp"
expect_fail info-bitcount "" "TKvInternalDIB.LoadFromStream: Invalid BitCout" "$tool" info "$work/badbits.bmp"
expect_fail info-illegal-format "" "TKvInternalDIB.GetPixelFormat: Invalid DIB(8Bit)" "$tool" info "$work/illegal.bmp"
expect_fail info-missing "" "" "$tool" info "$work/missing.bmp"
expect_fail convert-bad-input "$work/x1.bmp" "TKvInternalDIB.LoadFromFile: File type is invalid" \
    "$tool" convert "$work/notbmp.bmp" "$work/x1.bmp" 8bit
# Five pixels are too narrow for the RLE8 encoder: the conversion fails as a whole.
expect_fail convert-rle-narrow "$work/x2.bmp" "Convert8BitRGBTo8BitRLE: Compression Failed" \
    "$tool" convert "$bmps/info8.bmp" "$work/x2.bmp" 8bitrle
expect_fail clip-in-negative-width "$work/x3.bmp" "TKvInternalDIB.LoadFromStream: Invalid Width or Height" \
    "$tool" clip-in "$work/negwidth.dib" "$work/x3.bmp"
expect_fail clip-out-bad-input "$work/x4.dib" "TKvInternalDIB.LoadFromFile: File type is invalid" \
    "$tool" clip-out "$work/notbmp.bmp" "$work/x4.dib"
for args in "" "frobnicate a b" "info" "convert a b" "convert a b 9bit" "clip-in a" \
            "convert a b 8bit --quality best" "convert a b 8bit --mono FFF" "convert a b 8bit --fast"; do
    # shellcheck disable=SC2086
    expect_fail "usage '$args'" "" "" "$tool" $args
done

# A failed convert leaves an existing OUT exactly as it was.
cp "$bmps/info4.bmp" "$work/keep.bmp"
"$tool" convert "$work/notbmp.bmp" "$work/keep.bmp" 8bit 2>/dev/null
cmp -s "$bmps/info4.bmp" "$work/keep.bmp" || fail "failed convert changed the existing OUT"
ls "$work" | grep -q '\.tmp' && fail "temporary files left behind: $(ls "$work")"

[ "$failures" -eq 0 ] && echo "dibtool: all checks passed"
exit $((failures != 0))
