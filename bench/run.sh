#!/usr/bin/env bash
# Builds a release and runs the benchmark: literal against fast search on every matrix at every
# vector width this processor has, the matrix loading speed, then whole kova2 runs (loading,
# search, writing) at each width, with their time and peak memory: ALL.txt and a generated
# 20000 x 1000 matrix, both at T = 0.9.
#   bench/run.sh [data folder]      default: data/ (bash tools/make-data.sh makes it)
#   CXX=clang++-14 bench/run.sh     another compiler, in a build folder of its own
set -euo pipefail
cd "$(dirname "$0")/.."
data=${1:-"$PWD/data"}

build=build/bench
if [ -n "${CXX:-}" ]; then build=build/bench-$(basename "$CXX"); fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKOVA_FRONTEND=OFF -DKOVA_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j 2 --target kova_bench kova_load_bench kova2 kova2_at_width kova_generate kova_significance_bench
bin=$PWD/$build
echo "processor: $(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -1)"
echo "compiler: $(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' "$build/CMakeCache.txt") ($("$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' "$build/CMakeCache.txt")" --version | head -1))"
"$bin/bench/kova_bench" "$data"
echo
"$bin/bench/kova_load_bench" "$data"

run_home=$(mktemp -d)
trap 'rm -rf "$run_home"' EXIT
widths=0
if grep -qw avx2 /proc/cpuinfo && grep -qw fma /proc/cpuinfo; then widths="256 $widths"; fi
if grep -qw avx512f /proc/cpuinfo; then widths="512 $widths"; fi

whole_runs() {  # MATRIX GENES SAMPLES NAME
  printf '%s\r\n%s\r\n' "$1" "$run_home/result.txt" >"$run_home/outinfo.txt"
  printf '%s\r\n%s\r\n0.9\r\n' "$2" "$3" >"$run_home/doutinfo.txt"
  echo
  echo "== whole kova2 runs on $4, T = 0.9, maximum 1000000 (kova2_at_width: kova2 at one width) =="
  for width in $widths; do
    printf '%-4s ' "$width"
    (cd "$run_home" && echo 1000000 | HOME="$run_home" /usr/bin/time -f "%e s elapsed, %U s user, %M KiB peak memory" \
      "$bin/engine/kova2_at_width" "$width" 2>&1 >/dev/null | tail -1)
  done
}
if [ -f "$data/ALL.txt" ]; then whole_runs "$data/ALL.txt" 12625 128 ALL.txt; fi
"$bin/bench/kova_generate" expression 20000 1000 5 >"$run_home/generated.txt"
whole_runs "$run_home/generated.txt" 20000 1000 "generated 20000 x 1000"
# Significance by permutation with 100 null runs (docs/meaning.md#what-it-costs).
if [ -f "$data/ALL.txt" ]; then
  echo
  echo "== significance by permutation on ALL.txt, T = 0.9, 100 null runs, at each width =="
  for width in $widths; do "$bin/bench/kova_significance_bench" 100 "$data/ALL.txt" "$width"; done
fi
