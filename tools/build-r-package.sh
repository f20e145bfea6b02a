#!/usr/bin/env bash
# Builds the R package kova from r/ and the engine's own sources (copied into a package tree under
# build/r-package/, never into git), installs it into build/r-package/library and, unless
# --no-check is given, runs R CMD check on it, whose tests compare with a kova2 run.
#
#   tools/build-r-package.sh [--no-check]
#
# KOVA2 names the kova2 binary the tests compare with (default build/engine/kova2). Afterwards:
#   R_LIBS=build/r-package/library R     then library(kova)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
check=yes
[ "${1:-}" = "--no-check" ] && check=no

out=$root/build/r-package
tree=$out/source/kova
rm -rf "$out/source" "$out/library" "$out/kova.Rcheck" "$out/empty-repository"
mkdir -p "$out/source" "$out/library"
cp -R r "$tree"
mkdir -p "$tree/src/engine" "$tree/src/common"
# The engine's rooms that a search needs (not the console and batch ways), from the one list of
# sources and options that CMake builds from; their headers, and the front door's, beside them.
(cd engine && find . -name '*.hpp' ! -path './run/*' -exec cp --parents {} "$tree/src/engine/" \;)
# Of common/, only what those rooms include (not the console's run description files).
grep -rhoE '#include "common/[a-z_]+\.hpp"' $(grep -E '^[a-z]' engine/sources.txt | grep -v '^run ' |
    awk '{sub("<os>", "posix", $2); print "engine/" $2}') $(find engine -name '*.hpp' ! -path 'engine/run/*') |
  sed 's/.*"common\/\(.*\)\.hpp"/\1/' | sort -u | while read -r name; do
    cp "common/$name.hpp" "$tree/src/common/"
    [ -f "common/$name.cpp" ] && cp "common/$name.cpp" "$tree/src/common/"
    true
  done
# The objects of the files marked "x86" (1) or of the others (0): configure builds the former on x86
# alone.
objects() {
  grep -E '^[a-z]' engine/sources.txt | grep -v '^run ' | awk -v x86="$1" '($3 == "x86") == x86 {
    sub("<os>", "posix", $2); sub(/\.cpp$/, ".o", $2); print "  engine/" $2 " \\"}'
}
{
  echo
  echo "ENGINE_OBJECTS = \\"
  objects 0
  echo
  echo "ENGINE_X86_OBJECTS = \\"
  objects 1
  echo
  grep -E '^[a-z]' engine/sources.txt | grep -v '^run ' | awk 'NF > 2 {
    sub("<os>", "posix", $2); sub(/\.cpp$/, ".o", $2); options = ""
    for (i = 3; i <= NF; i++) { o = $i; sub(/^gcc:/, "", o); if (o != "x86") options = options " " o }
    print "engine/" $2 ": PKG_CXXFLAGS +=" options}'
} >>"$tree/src/Makevars.in"
grep -E '^[a-z]' engine/sources.txt | grep -v '^run ' | awk '{sub("<os>", "posix", $2); print $2}' |
  while read -r source; do cp --parents "engine/$source" "$tree/src/"; done
Rscript -e 'invisible(Rcpp::compileAttributes(commandArgs(TRUE)[1]))' "$tree"

version=$(sed -n 's/^Version: //p' r/DESCRIPTION)
# R's make compiles the engine's files side by side, as CMake does.
export MAKEFLAGS=${MAKEFLAGS:--j$(nproc)}
tarball=$out/kova_$version.tar.gz
(cd "$out" && R CMD build --no-manual source/kova >build.log 2>&1) || { cat "$out/build.log"; exit 1; }
if [ $check = no ]; then
  R CMD INSTALL --library="$out/library" "$tarball" >"$out/install.log" 2>&1 || { cat "$out/install.log"; exit 1; }
  echo "R package kova $version installed in $out/library"
  exit 0
fi

# The tests run kova2 and read the data; they must not skip here.
export KOVA2=${KOVA2:-$root/build/engine/kova2}
export KOVA_ROOT=$root
export KOVA_REQUIRE_KOVA2=1
[ -x "$KOVA2" ] || { echo "no kova2 at $KOVA2 (set KOVA2)" >&2; exit 1; }
# As CRAN checks, less what needs the network (biclust, suggested, is not in Debian). --as-cran
# looks up the suggested packages that are not installed among CRAN's orphaned ones: an empty
# repository of our own answers, so the check runs the same with or without a network.
repository=$out/empty-repository
mkdir -p "$repository/src/contrib" "$repository/web/packages"
: >"$repository/src/contrib/PACKAGES"
Rscript -e 'saveRDS(data.frame(Package = character(), Version = character(), Maintainer = character()),
                    commandArgs(TRUE)[1])' "$repository/web/packages/packages.rds"
echo "options(repos = c(CRAN = 'file://$repository'))" >"$out/check-profile.R"
(cd "$out" && R_PROFILE="$out/check-profile.R" _R_CHECK_FORCE_SUGGESTS_=false _R_CHECK_CRAN_INCOMING_REMOTE_=false \
  _R_CHECK_SYSTEM_CLOCK_=false R CMD check --as-cran --no-manual "$tarball" >check.log 2>&1) || true
status=$(sed -n 's/^Status: //p' "$out/check.log")
if [ -z "$status" ] || grep -qE 'ERROR|WARNING' <<<"$status"; then
  cat "$out/check.log"
  [ -f "$out/kova.Rcheck/tests/testthat.Rout.fail" ] && tail -n 60 "$out/kova.Rcheck/tests/testthat.Rout.fail"
  echo "R CMD check of kova: ${status:-did not finish}" >&2
  exit 1
fi
grep -E '^\* checking tests' -A 3 "$out/check.log"
echo "R CMD check of kova: $status"
# The check installed the package from the same tarball; that copy is the installed package.
cp -R "$out/kova.Rcheck/kova" "$out/library/"
echo "R package kova $version installed in $out/library"
