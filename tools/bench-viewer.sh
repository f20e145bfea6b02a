#!/usr/bin/env bash
# How quickly kovaview opens a large run: kova2 on ALL.txt (12625 x 128, threshold 0.8, at most
# 10000 biclusters) in a temporary HOME, then the viewer benchmark on its result. Prints figures.
# Usage: tools/bench-viewer.sh [path/to/ALL.txt]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
data=$(realpath "${1:-data/ALL.txt}")

cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/bench -j 2 --target kova2 kovaview_bench

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
printf '%s\r\n%s\r\n' "$data" "$work/result.txt" > outinfo.txt
printf '12625\r\n128\r\n0.8\r\n' > doutinfo.txt
echo 10000 | HOME="$work" "$root/build/bench/engine/kova2" | tail -1
QT_QPA_PLATFORM=offscreen "$root/build/bench/viewer/qt/kovaview_bench" result.txt "$data" 12625 128
