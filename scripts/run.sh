#!/usr/bin/env bash
# Installs the dependencies, builds in Release and runs the main job: the demo
# estimate. The demo deposit is generated into build-release/demo, the job
# examples/demo/demo.json runs there (a new project, imports, calculation
# settings, polygons, figures, both reports, the exports, demo.qrx), a short
# summary is printed with where every output is, and the desktop opens on the
# project when a display is present.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQX_BUILD_TESTS=OFF -DQX_BUILD_BENCH=OFF
cmake --build build-release -j "$jobs"

bin=build-release/src
demo=build-release/demo
rm -rf "$demo"
mkdir -p "$demo"
build-release/examples/demo/qx_demo_data "$demo" >/dev/null
cp examples/demo/demo.json examples/demo/demo_csv.json "$demo/"

echo "== The demo estimate: $demo/demo.json"
"$bin/cli/quarlex" run "$demo/demo.json" >"$demo/run.log" 2>"$demo/messages.log"
"$bin/cli/quarlex" info "$demo/demo.qrx" >"$demo/info.txt"
"$bin/cli/quarlex" check "$demo/demo.qrx" >"$demo/checks.txt" || true
grep -E '^(Composites|Envelopes|Surfaces|Figures|Figure totals|Polygons):' "$demo/info.txt"

echo "== The same composites from a comma-separated file: $demo/demo_csv.json"
"$bin/cli/quarlex" run "$demo/demo_csv.json" >"$demo/run_csv.log" 2>"$demo/messages_csv.log"
"$bin/cli/quarlex" info "$demo/demo_csv.qrx" | grep -E '^(Composites|Polygons):'

cat <<TXT
Outputs in $demo:
  demo.qrx                the project (open it in the desktop, or: quarlex info $demo/demo.qrx)
  polygons.txt            polygon report
  figures.txt             figure report
  polygons.dig            polygons exported as outlines
  figures_out.dig         figures exported as outlines
  composites_out.dat      composites exported
  demo.gpkg               GeoPackage: composites, envelopes, figures and polygons as GIS layers (ogrinfo -so -al demo.gpkg)
  PLAN.plt PLAN.dxf PLAN.pdf   the plan plotted (quarlex plot-render PLAN.plt --to plan.png draws the PLT)
  grade_tonnage_Au.csv grade_tonnage_Au.png   the grade-tonnage curve of Au (cut-offs 0 to 5 by 0.25)
  declustering.csv declustering_weights.csv declustering_Au.png   naive and declustered statistics of Au and Ag, the weights, the Au histogram
  checks.txt              quarlex check: what the data checks found
  run.log, messages.log   what the job printed; info.txt: everything the project holds
  demo_csv.qrx polygons_csv.txt   the second job: composites.csv and envelopes.csv (delimited, with a header row) instead of the fixed-column files
  composites.dat composites.csv envelopes.dig envelopes.csv blocks.dig topography.dat   the generated demo data
TXT

if [ -n "${DISPLAY:-}" ] && [ -x "$bin/ui/wquarlex" ]; then
  echo "Starting the desktop: $bin/ui/wquarlex $demo/demo.qrx"
  exec "$bin/ui/wquarlex" "$demo/demo.qrx" "$@"
elif [ -x "$bin/ui/wquarlex" ]; then
  echo "No display: open the project in the desktop with $bin/ui/wquarlex $demo/demo.qrx"
fi
