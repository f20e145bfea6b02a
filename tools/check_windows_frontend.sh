#!/usr/bin/env bash
# Qt for Windows cannot be installed here, so the front end's Windows-only code is checked as far
# as MinGW-w64 allows: the resource script (icon, version record) is compiled with windres, and
# the console start is compiled (syntax and types) against Qt 6's headers with the Windows macros.
set -euo pipefail
cd "$(dirname "$0")/.."

qt_include=$(dirname "$(find /usr/include -maxdepth 3 -name QtCore -type d -path '*qt6*' | head -n 1)")
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

x86_64-w64-mingw32-windres frontend/KOVA.rc -O coff -o "$out/KOVA.res.o"
x86_64-w64-mingw32-objdump -h "$out/KOVA.res.o" | grep -q '\.rsrc' || { echo "no resources in KOVA.rc's output" >&2; exit 1; }
# The Linux build of Qt's headers marks exports differently: its dllimport notes are no fault here.
x86_64-w64-mingw32-g++-posix -std=c++20 -fsyntax-only -Wall -Wextra -Werror -Wno-attributes \
  -I. -I"$qt_include" -I"$qt_include/QtCore" frontend/launcher_windows.cpp
echo "Windows front-end code: resource script and console start compile"
