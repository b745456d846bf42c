#!/usr/bin/env bash
# Installs the dependencies, builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test.
#   scripts/test.sh          the whole product, desktop included
#   scripts/test.sh --core   the core and the command-line tool only (no Qt)
set -euo pipefail
cd "$(dirname "$0")/.."

desktop=ON
builddir=build-test
if [ "${1:-}" = "--core" ]; then
  desktop=OFF
  builddir=build-test-core
fi

scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B "$builddir" -G Ninja \
  -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
  -DQX_SANITIZE=ON \
  -DQX_BUILD_DESKTOP="$desktop" \
  -DQX_BUILD_BENCH=ON
cmake --build "$builddir" -j "$jobs"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions="$PWD/scripts/lsan.supp"
ctest --test-dir "$builddir" -j "$jobs" --output-on-failure
