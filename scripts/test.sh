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
  -DQX_BUILD_BENCH=ON \
  -DQX_WERROR=ON

# Our code is formatted as .clang-format says; a file that is not fails here.
mapfile -t sources < <(git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' \
  'fuzz/*.cpp' 'fuzz/*.h' 'examples/*.cpp' 'examples/*.h')
clang-format --dry-run --Werror "${sources[@]}"

cmake --build "$builddir" -j "$jobs"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions="$PWD/scripts/lsan.supp"
# Tests are to stay about a quarter to a third of the code. (Printed before
# the tests run, so that ctest's summary stays the last line.)
count() { git ls-files "$@" | xargs cat | grep -cv '^[[:space:]]*$'; }
code=$(count 'src/*.cpp' 'src/*.h')
tests=$(count 'tests/*.cpp' 'tests/*.h')
awk -v t="$tests" -v c="$code" 'BEGIN { printf "test/code: %d non-blank test lines, %d code lines, ratio %.2f\n", t, c, t / c }'

ctest --test-dir "$builddir" -j "$jobs" --output-on-failure
