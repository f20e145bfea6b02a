#!/usr/bin/env bash
# Every test of the project. Each build is made once and used by every stage that needs it:
# - the normal build, with the Debian package's options: its tests, then the R and Python packages
#   compared with its kova2, then the Debian package made from it, installed and used;
# - one MinGW-w64 build: kova2.exe under Wine, then KOVA.exe, the installer and the zip;
# - an ARM64 cross-build under qemu;
# - clang with AddressSanitizer and UndefinedBehaviorSanitizer: every test again, the viewer's too;
# - ThreadSanitizer over the threaded parts; libFuzzer over the input readers.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS
stage() { echo "== $* ($(((SECONDS - started) / 60)) min in) =="; }

tools/install-deps.sh
# The real matrices in data/ that tests read, made from Debian's data packages when missing.
bash tools/make-data.sh
jobs=$(nproc)

stage "includes follow the engine's arrows; every link of README and docs/ resolves"
bash tools/check-includes.sh
bash tools/check-doc-links.sh

configure_build_test() {  # folder, then extra CMake options
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -DKOVA_WERROR=ON "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure --timeout 600
}

stage "normal build, with the Debian package's options"
mapfile -t package_options < <(bash tools/debian-cmake-options.sh)
configure_build_test build/test-release "${package_options[@]}"

# The R package is built from the same engine sources; its tests compare with this build's kova2.
# R CMD build compiles it to make the vignette, and R CMD check compiles it again with the same
# options: ccache makes the second a copy.
stage "R package kova: build, install, R CMD check with its tests"
mkdir -p build/test-r
printf 'CXX20 = ccache g++\n' >build/test-r/Makevars
CCACHE_DIR="$PWD/build/test-r/ccache" CCACHE_NOHASHDIR=true R_MAKEVARS_USER="$PWD/build/test-r/Makevars" \
  KOVA2="$PWD/build/test-release/engine/kova2" bash tools/build-r-package.sh

# The Python package too, into a virtual environment that sees Debian's numpy, pandas, scipy and
# anndata; its tests compare with this build's kova2. pytest's status 5 (no tests ran) fails as any.
stage "Python package kova: build, install into a virtual environment, pytest"
rm -rf build/test-python
/usr/bin/python3 -m venv --system-site-packages build/test-python/venv
build/test-python/venv/bin/python -m pip install --no-build-isolation --no-index -q ./python
mkdir -p build/test-python/home
(cd build/test-python && HOME="$PWD/home" KOVA2="$OLDPWD/build/test-release/engine/kova2" \
  venv/bin/python -m pytest -p no:cacheprovider -q "$OLDPWD/python/tests")

stage "Debian package: made from the normal build, installed, run from /usr/bin and its menu entries, removed"
KOVA_DEB_BUILD="$PWD/build/test-release" bash tests/system/package/package_test.sh

# One MinGW-w64 build serves both Windows stages.
export KOVA_WINE_BUILD="$PWD/build/test-windows" KOVA_WINDOWS_BUILD="$PWD/build/test-windows"
stage "Windows: kova2.exe cross-built with MinGW-w64, run under Wine"
KOVA_NATIVE_KOVA2="$PWD/build/test-release/engine/kova2" bash tests/system/wine/run_wine_tests.sh

stage "Windows front end: KOVA.exe, installer and zip built, installed and clicked through under Wine"
bash tools/check_windows_frontend.sh build/test-release/tests/frontend/core/kova_layout_dump

stage "ARM64: the portable kernels, fast against literal search under qemu-aarch64"
bash tests/system/portable/run_aarch64.sh

# Every test again, the front end's and the viewer's included, built by the other compiler: the
# kernels must not depend on one, and the sanitizers watch every test while it runs.
stage "clang 14 with AddressSanitizer and UndefinedBehaviorSanitizer: every test"
# At -O1, as the sanitizers' documentation advises: still every access seen, the tests run in about
# half the time they take unoptimised, and the always-inlined helpers of the kernels are not kept as
# out-of-line copies as clang's function sanitizer keeps them at -O0 (kernel_symbols would report
# them, though nothing calls them).
configure_build_test build/test-asan -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DKOVA_SANITIZE=address,undefined

# The fast search runs its pairs on a thread pool; ThreadSanitizer watches the pool and the search
# while they are compared with the literal search.
stage "ThreadSanitizer: thread pool, fast search, null runs side by side"
cmake -S . -B build/test-tsan -G Ninja -DKOVA_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKOVA_SANITIZE=thread \
  -DKOVA_FRONTEND=OFF >/dev/null
cmake --build build/test-tsan -j "$jobs" --target kova_thread_tests
TSAN_OPTIONS=halt_on_error=1 build/test-tsan/tests/kova_thread_tests --gtest_brief=1

# Fuzzing: each libFuzzer target (fuzz/) for a fixed time, starting from its saved corpus. The
# corpus replay itself runs in both builds above (CTest's fuzz_replay_* tests); this finds new
# inputs. A finding fails the run; fix it and add the input to fuzz/corpus/<target>/.
fuzz_seconds=${KOVA_FUZZ_SECONDS:-30}
fuzz_dir=build/test-fuzz
stage "fuzzing with libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer: ${fuzz_seconds} s per target"
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
stage "all passed"
