#!/usr/bin/env bash
# Every test of the project: a normal build and an AddressSanitizer + UndefinedBehaviorSanitizer
# build, each with its whole test suite, then a ThreadSanitizer build for the fast search and a
# clang build of the engine's tests.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
# The real matrices in data/ that tests read, made from Debian's data packages when missing.
bash tools/make-data.sh
jobs=$(nproc)

echo "== includes follow the engine's arrows; every link of README and docs/ resolves =="
bash tools/check-includes.sh
bash tools/check-doc-links.sh

configure_build_test() {  # folder, then extra CMake options
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -DKOVA_WERROR=ON "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure --timeout 600
}

echo "== normal build =="
configure_build_test build/test-release -DCMAKE_BUILD_TYPE=RelWithDebInfo

# The R package is built from the same engine sources; its tests compare with this build's kova2.
echo "== R package kova: build, install, R CMD check with its tests =="
KOVA2="$PWD/build/test-release/engine/kova2" bash tools/build-r-package.sh

# The Python package too, into a virtual environment that sees Debian's numpy, pandas, scipy and
# anndata; its tests compare with this build's kova2. pytest's status 5 (no tests ran) fails as any.
echo "== Python package kova: build, install into a virtual environment, pytest =="
rm -rf build/test-python
/usr/bin/python3 -m venv --system-site-packages build/test-python/venv
build/test-python/venv/bin/python -m pip install --no-build-isolation --no-index -q ./python
mkdir -p build/test-python/home
(cd build/test-python && HOME="$PWD/home" KOVA2="$OLDPWD/build/test-release/engine/kova2" \
  venv/bin/python -m pytest -p no:cacheprovider -q "$OLDPWD/python/tests")

echo "== Debian package: built, installed, run from /usr/bin and its menu entries, removed =="
bash tests/system/package/package_test.sh

echo "== AddressSanitizer and UndefinedBehaviorSanitizer =="
configure_build_test build/test-asan -DCMAKE_BUILD_TYPE=Debug -DKOVA_SANITIZE=address,undefined -DKOVA_FRONTEND=OFF

echo "== Windows: kova2.exe cross-built with MinGW-w64, run under Wine =="
KOVA_NATIVE_KOVA2="$PWD/build/test-release/engine/kova2" bash tests/system/wine/run_wine_tests.sh

echo "== Windows front end: KOVA.exe, installer and zip built, installed and clicked through under Wine =="
bash tools/check_windows_frontend.sh build/test-release/tests/frontend/core/kova_layout_dump

echo "== ARM64: the portable kernels, fast against literal search under qemu-aarch64 =="
bash tests/system/portable/run_aarch64.sh

# The viewer needs Qt, which the build above leaves out; its own tests under the sanitizers.
echo "== kovaview under AddressSanitizer and UndefinedBehaviorSanitizer =="
cmake -S . -B build/test-asan-viewer -G Ninja -DKOVA_WERROR=ON -DCMAKE_BUILD_TYPE=Debug \
  -DKOVA_SANITIZE=address,undefined >/dev/null
if ! cmake --build build/test-asan-viewer --target help | grep kova_viewer_core_tests >/dev/null; then
  echo "Qt 6 not found: skipped"
else
  cmake --build build/test-asan-viewer -j "$jobs" --target kova_viewer_core_tests kova_viewer_window_test kova2 \
    kova_png_output_test kovaview
  ctest --test-dir build/test-asan-viewer -L viewer -j "$jobs" --output-on-failure --timeout 600
fi

# The fast search runs its pairs on a thread pool; ThreadSanitizer watches the pool and the search
# while they are compared with the literal search.
echo "== ThreadSanitizer: thread pool and fast search =="
cmake -S . -B build/test-tsan -G Ninja -DKOVA_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKOVA_SANITIZE=thread \
  -DKOVA_FRONTEND=OFF >/dev/null
cmake --build build/test-tsan -j "$jobs" --target kova_engine_tests
TSAN_OPTIONS=halt_on_error=1 build/test-tsan/tests/kova_engine_tests --gtest_filter='ThreadPool.*:FastSearch.*:Widths/FastSearchAtWidth.*'

# The kernels must not depend on one compiler: the engine's tests again, built with clang (the
# fuzzing below builds with it too, but runs no test of the kernels' results).
echo "== the engine's tests built with clang 14 =="
cmake -S . -B build/test-clang -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=Release -DKOVA_WERROR=ON \
  -DKOVA_FRONTEND=OFF >/dev/null
cmake --build build/test-clang -j "$jobs" --target kova_engine_tests
build/test-clang/tests/kova_engine_tests --gtest_brief=1

# Fuzzing: each libFuzzer target (fuzz/) for a fixed time, starting from its saved corpus. The
# corpus replay itself runs in both builds above (CTest's fuzz_replay_* tests); this finds new
# inputs. A finding fails the run; fix it and add the input to fuzz/corpus/<target>/.
fuzz_seconds=${KOVA_FUZZ_SECONDS:-60}
fuzz_dir=build/test-fuzz
echo "== fuzzing with libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer: ${fuzz_seconds} s per target =="
cmake -S . -B "$fuzz_dir" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKOVA_WERROR=ON \
  -DKOVA_FUZZ=ON -DKOVA_SANITIZE=address,undefined -DKOVA_BUILD_TESTS=OFF -DKOVA_FRONTEND=OFF >/dev/null
cmake --build "$fuzz_dir" -j "$jobs" --target fuzz_run_description fuzz_matrix_loader fuzz_engine_run
for target in run_description matrix_loader engine_run; do
  work="$fuzz_dir/work/$target"
  findings="$fuzz_dir/findings/$target"
  rm -rf "$work" "$findings"
  mkdir -p "$work" "$findings"
  log="$fuzz_dir/$target.log"
  if ! "$fuzz_dir/fuzz/fuzz_$target" -max_total_time="$fuzz_seconds" -timeout=10 -artifact_prefix="$findings/" \
      "$work" "fuzz/corpus/$target" >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzz_$target found a fault; the input is in $findings/" >&2
    exit 1
  fi
  echo "fuzz_$target: $(grep -E '^Done' "$log")"
done
