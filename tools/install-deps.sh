#!/usr/bin/env bash
# Installs what building and testing KOVA needs on Debian 12. Safe to run again.
set -euo pipefail

packages=(
  build-essential cmake ninja-build libgtest-dev          # engine and its tests
  python3                                                 # viewer: exports read back with its csv module
  qt6-base-dev libgl-dev                                  # front end and viewer
  qt6-svg-dev                                             # viewer: saving pictures as SVG
  xvfb xdotool xterm x11-utils imagemagick                # front end tests under a real X server
  openbox                                                 # ... with a window manager, as on a desktop
  g++-mingw-w64-x86-64-posix wine64                       # Windows build, tested under Wine
  nsis zip unzip fonts-wine                               # Windows installer and zip; its test under Wine
  clang-14 libclang-rt-14-dev                             # fuzzing and ThreadSanitizer
  r-base-dev r-cran-rcpp r-cran-testthat r-bioc-biobase   # the R package kova and its tests
  r-cran-matrix r-bioc-summarizedexperiment r-bioc-all    # ... its sparse results, inputs, vignette data
  r-cran-knitr r-cran-rmarkdown pandoc                    # ... and its vignette
  qpdf devscripts ccache                                  # ... checked as CRAN does; ccache: its second compile
  g++-aarch64-linux-gnu qemu-user file                    # the ARM64 build, checked under qemu-user
  python3-dev python3-venv python3-pip python3-setuptools # the Python package kova, built offline
  python3-wheel pybind11-dev python3-pybind11             # ... with pybind11 and CMake
  python3-numpy python3-pandas python3-scipy              # ... the matrices it takes
  python3-anndata python3-tqdm python3-pytest             # ... AnnData, its progress bar, its tests
  r-bioc-all r-bioc-multtest r-bioc-bladderbatch          # the real matrices in data/ (tools/make-data.sh)
  lintian desktop-file-utils appstream man-db             # the Debian package and its test
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
