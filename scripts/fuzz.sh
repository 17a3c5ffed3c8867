#!/usr/bin/env bash
# Builds every fuzz target with libFuzzer (clang, ASan and UBSan, the Qt road
# included) in build-fuzz and runs each for the given time, two at a time. Each
# target works on its own copy of its seed corpus, kept between runs and merged
# with the seeds again at every start, so the source tree is never written to;
# what fails (crash, leak, timeout, out of memory) is kept in the findings folder.
#
#   scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]      (default: 180 s, every target)
#
#   build-fuzz/corpus-work/<target>/   the working corpus
#   build-fuzz/findings/<target>/      crash-*, leak-*, timeout-*, oom-* inputs
#   build-fuzz/fuzz-logs/<target>.log  libFuzzer's output
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-180}"
shift $(( $# > 0 ? 1 : 0 ))
scripts/install-deps.sh

build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVI_LIBFUZZER=ON \
      -DMORVI_GUI=ON -DMORVI_TESTS=OFF -DMORVI_BENCH=OFF >/dev/null
cmake --build "$build" -j2 --target fuzz_targets

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for source in fuzz/fuzz_*.cpp; do
    name=$(basename "$source" .cpp)
    [ -x "$build/fuzz/$name" ] && targets+=("$name")
  done
fi

# Runs one target: fork mode with crashes, timeouts and out-of-memory inputs set
# aside, so that one finding does not end the target's turn.
run_target() {
  local name=$1
  local work="$build/corpus-work/$name" findings="$build/findings/$name" log="$build/fuzz-logs/$name.log"
  mkdir -p "$work" "$findings" "$build/fuzz-logs"
  if [ -d "fuzz/corpus/$name" ]; then
    find "fuzz/corpus/$name" -type f ! -name README.txt -exec cp -n {} "$work/" \;
  fi
  "$build/fuzz/$name" -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
      -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
      -artifact_prefix="$findings/" "$work" >"$log" 2>&1 || true
}

echo "Fuzzing ${#targets[@]} targets for ${seconds} s each, two at a time"
running=0
for name in "${targets[@]}"; do
  if [ "$running" -ge 2 ]; then
    wait -n || true
    running=$((running - 1))
  fi
  run_target "$name" &
  running=$((running + 1))
done
wait

# Findings by kind, from the names libFuzzer gives them.
kinds() {
  local dir=$1 kind count out=""
  for kind in crash leak timeout oom slow-unit; do
    count=$(find "$dir" -type f -name "$kind-*" | wc -l)
    [ "$count" -gt 0 ] && out+="$kind $count "
  done
  echo "${out:-none}"
}

printf '\n%-24s %12s %8s %8s %8s  %s\n' target executions cov ft corpus findings
for name in "${targets[@]}"; do
  log="$build/fuzz-logs/$name.log"
  # The last stats line: "#<executions>: cov: <n> ft: <n> corp: <n> ...".
  stats=$(grep -E '^#[0-9]+: cov: ' "$log" | tail -n 1 || true)
  execs=$(sed -nE 's/^#([0-9]+):.*/\1/p' <<<"$stats")
  cov=$(sed -nE 's/.* cov: ([0-9]+).*/\1/p' <<<"$stats")
  ft=$(sed -nE 's/.* ft: ([0-9]+).*/\1/p' <<<"$stats")
  corpus=$(find "$build/corpus-work/$name" -type f | wc -l)
  printf '%-24s %12s %8s %8s %8s  %s\n' "$name" "${execs:-?}" "${cov:-?}" "${ft:-?}" "$corpus" \
         "$(kinds "$build/findings/$name")"
done
# The first few of each target; one fault often leaves many inputs.
for name in "${targets[@]}"; do
  found=$(find "$build/findings/$name" -type f | sort)
  [ -z "$found" ] && continue
  total=$(wc -l <<<"$found")
  echo
  echo "$name:"
  head -n 5 <<<"$found" | sed 's/^/  /'
  [ "$total" -gt 5 ] && echo "  ... and $((total - 5)) more in $build/findings/$name"
done
exit 0
