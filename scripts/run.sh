#!/usr/bin/env bash
# Installs the dependencies, builds in Release and runs the main job: the
# desktop application when a display is present, otherwise the command-line
# tool's version and help.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQX_BUILD_TESTS=OFF -DQX_BUILD_BENCH=OFF
cmake --build build-release -j "$jobs"

bin=build-release/src
if [ -n "${DISPLAY:-}" ] && [ -x "$bin/ui/wquarlex" ]; then
  echo "Starting the desktop: $bin/ui/wquarlex"
  exec "$bin/ui/wquarlex" "$@"
fi

"$bin/cli/quarlex" --version
"$bin/cli/quarlex" --help
