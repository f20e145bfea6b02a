#!/usr/bin/env bash
# The Windows front end's resource script (icon, version record) compiles with windres.
set -euo pipefail
cd "$(dirname "$0")/.."

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

x86_64-w64-mingw32-windres frontend/win32/KOVA.rc -O coff -o "$out/KOVA.res.o"
x86_64-w64-mingw32-objdump -h "$out/KOVA.res.o" | grep -q '\.rsrc' || { echo "no resources in KOVA.rc's output" >&2; exit 1; }
echo "Windows front-end resource script compiles"
