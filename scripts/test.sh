#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the whole suite in a
# normal build, then the Qt-free engine tests (and the fuzz corpora) again in a
# build with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs="$(nproc)"

scripts/build.sh
(cd build && ctest --output-on-failure -j"$jobs")

cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMORVI_GUI=OFF -DMORVI_SANITIZE=ON \
      -DMORVI_BENCH=OFF >/dev/null
cmake --build build-sanitize -j"$jobs"
(cd build-sanitize && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
   ctest --output-on-failure -j"$jobs" -L engine)

# The metafile player and the other Qt-road fuzz targets (Qt's readers, the
# clipboard bridge) need QtGui: their tests and corpora run under the sanitizers
# in a third build that compiles only what they need.
cmake -S . -B build-sanitize-qt -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMORVI_SANITIZE=ON -DMORVI_BENCH=OFF >/dev/null
cmake --build build-sanitize-qt -j"$jobs" --target metafile_tests fuzz_qt_targets
(cd build-sanitize-qt && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
   ctest --output-on-failure -j"$jobs" -L metafile &&
   ctest --output-on-failure -j"$jobs" -L fuzz_qt)
