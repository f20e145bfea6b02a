#!/usr/bin/env bash
# Cross-builds the engine for ARM64 (its baseline kernels in Advanced SIMD, no x86 code) and runs
# the fast search against the literal one under qemu-aarch64: random hard matrices and a real
# matrix, bit for bit. Exits non-zero on any difference.
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
build=${KOVA_AARCH64_BUILD:-$root/build/aarch64}

for tool in aarch64-linux-gnu-g++ qemu-aarch64; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing; tools/install-deps.sh installs it"; exit 1; }
done
# Warnings are errors here too.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/aarch64-linux-gnu.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DKOVA_FRONTEND=OFF -DKOVA_BUILD_TESTS=OFF -DKOVA_WERROR=ON >/dev/null
cmake --build "$build" --target kova_fast_vs_literal -j 2
file "$build/tests/system/portable/kova_fast_vs_literal" | grep -q 'ARM aarch64' || { echo "FAIL: not an ARM64 program"; exit 1; }
qemu-aarch64 "$build/tests/system/portable/kova_fast_vs_literal" "$root/examples/golub_500.txt" 500 38
