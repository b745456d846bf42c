#!/usr/bin/env bash
# Installs every Debian 12 package needed to build, run, test and benchmark wQuarlex.
# Idempotent: packages already present are left as they are.
set -euo pipefail

PACKAGES=(
  # build
  build-essential cmake ninja-build ccache pkg-config git
  clang libclang-rt-14-dev            # fuzz targets (libFuzzer) and sanitizer runtimes
  clang-format                        # the formatting check of scripts/test.sh
  # desktop
  qt6-base-dev libqt6opengl6-dev libgl-dev libglu1-mesa-dev
  # geometry and algorithms
  libcgal-dev libgmp-dev libmpfr-dev libboost-dev libgeos-dev
  # job files and command line
  nlohmann-json3-dev libcli11-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # looking at the desktop without a display
  xvfb xauth imagemagick mesa-utils libgl1-mesa-dri xdotool
  # plots: cairo draws SVG, PNG and recorded PDF pages, zlib packs our own PDF pages; independent DXF and PDF readers for the tests
  libcairo2-dev zlib1g-dev python3-ezdxf libdxflib-dev librecad poppler-utils
  # GIS export: GDAL writes GeoPackage and Shapefile layers; ogrinfo reads them back in the tests
  libgdal-dev gdal-bin
  # a German locale, to prove numbers ignore the user's locale
  locales
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  echo "install-deps: all ${#PACKAGES[@]} packages present"
else
  echo "install-deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  echo "install-deps: generating the de_DE.UTF-8 locale"
  $SUDO sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
  $SUDO locale-gen >/dev/null
fi
