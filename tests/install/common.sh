# Shared by the installation tests: a private Xvfb and a BMP to look at.

fail() { echo "FAIL: $*" >&2; exit 1; }

# Starts Xvfb on a free display number and exports DISPLAY; stops it on exit.
start_xvfb() {
  local n
  for n in $(seq 140 180); do
    [ -e "/tmp/.X${n}-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -noreset -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 50); do
      if xdpyinfo -display ":$n" >/dev/null 2>&1; then
        export DISPLAY=":$n"
        return 0
      fi
      kill -0 "$XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
  done
  fail "could not start Xvfb"
}

# A 4 x 2, 24-bit BMP written byte by byte.
write_small_bmp() {
  printf 'BM' > "$1"
  printf '\x5e\x00\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00' >> "$1"
  printf '\x28\x00\x00\x00\x04\x00\x00\x00\x02\x00\x00\x00\x01\x00\x18\x00' >> "$1"
  printf '\x00\x00\x00\x00\x28\x00\x00\x00\xc4\x0e\x00\x00\xc4\x0e\x00\x00' >> "$1"
  printf '\x00\x00\x00\x00\x00\x00\x00\x00' >> "$1"
  head -c 40 /dev/zero | tr '\0' '\377' >> "$1"
}

# Starts PROGRAM with ARGS under the private display and waits for its window.
start_program_and_wait() {
  "$@" >"$WORK/program.log" 2>&1 &
  PROGRAM_PID=$!
  xdotool search --sync --onlyvisible --name 'モルビ' >/dev/null 2>&1 &
  local waiter=$!
  for _ in $(seq 150); do
    kill -0 "$waiter" 2>/dev/null || break
    sleep 0.1
  done
  kill "$waiter" 2>/dev/null && fail "the window of $1 did not appear: $(cat "$WORK/program.log")"
  WINDOW=$(xdotool search --onlyvisible --name 'モルビ' | head -1)
  [ -n "$WINDOW" ] || fail "no window"
}
