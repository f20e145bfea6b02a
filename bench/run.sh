#!/usr/bin/env bash
# Builds a release and runs the benchmark: literal against fast search on every matrix, the matrix
# loading speed, then one whole kova2 run on ALL.txt (loading, search, writing) with its time and
# peak memory.
#   bench/run.sh [data folder]      default: ../shared/data beside the project
set -euo pipefail
cd "$(dirname "$0")/.."
data=${1:-"$PWD/../shared/data"}

cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DKOVA_FRONTEND=OFF -DKOVA_BUILD_TESTS=OFF >/dev/null
cmake --build build/bench -j 2 --target kova_bench kova_load_bench kova2
build/bench/bench/kova_bench "$data"
echo
build/bench/bench/kova_load_bench "$data"

if [ -f "$data/ALL.txt" ]; then
  run_home=$(mktemp -d)
  trap 'rm -rf "$run_home"' EXIT
  printf '%s\r\n%s\r\n' "$data/ALL.txt" "$run_home/result.txt" > "$run_home/outinfo.txt"
  printf '12625\r\n128\r\n0.9\r\n' > "$run_home/doutinfo.txt"
  echo
  echo "== whole kova2 run on ALL.txt, T = 0.9, maximum 1000000 =="
  (cd "$run_home" && echo 1000000 | HOME="$run_home" /usr/bin/time -f "%e s elapsed, %M KiB peak memory" \
    "$OLDPWD/build/bench/engine/kova2" >/dev/null)
fi
