#!/usr/bin/env bash
# The CMake options of the Debian package's build, one per line: Release with Debian's hardening
# (stack protector, fortified functions, read-only relocations bound at start). The Release
# build's -O3 comes after the -O2 here and wins; debugging symbols are left out.
# tools/package-debian.sh builds with them, and tools/test.sh runs its tests on that same build.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_CXXFLAGS_MAINT_STRIP=-g dpkg-buildflags --get "$1"; }
echo "-DCMAKE_BUILD_TYPE=Release"
echo "-DKOVA_FRONTEND=ON"
echo "-DCMAKE_CXX_FLAGS=$(flags CPPFLAGS) $(flags CXXFLAGS)"
echo "-DCMAKE_EXE_LINKER_FLAGS=$(flags LDFLAGS)"
