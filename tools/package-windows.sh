#!/usr/bin/env bash
# Builds the Windows downloads: KOVA-<version>-setup.exe (NSIS installer) and
# KOVA-<version>-windows.zip (the same files for users without administrator rights), from
# KOVA.exe and kova2.exe cross-built with MinGW-w64. Prints the two paths.
# Usage: tools/package-windows.sh [output folder]   (default build/windows-package/dist)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KOVA_WINDOWS_BUILD:-$root/build/windows-package}
dist=${1:-$build/dist}

for tool in x86_64-w64-mingw32-g++-posix makensis zip; do
  command -v "$tool" >/dev/null || { echo "package-windows: $tool is missing (tools/install-deps.sh installs it)" >&2; exit 1; }
done
version=$(sed -n 's/.*kFrontEndVersionText = "\(.*\)";/\1/p' "$root/frontend/core/version.hpp")
[ -n "$version" ] || { echo "package-windows: no version in frontend/core/version.hpp" >&2; exit 1; }

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DKOVA_BUILD_TESTS=OFF -DKOVA_WERROR=ON >/dev/null
cmake --build "$build" --target KOVA kova2 -j 2

stage=$build/stage
rm -rf "$stage" "$dist"
mkdir -p "$stage/examples" "$dist"
cp "$build/frontend/win32/KOVA.exe" "$build/engine/kova2.exe" "$root/frontend/icons/kova.ico" "$stage/"
cp "$root/examples/worked_example.txt" "$root/examples/golub_500.txt" "$stage/examples/"
# The readmes in Windows' line ends, with the version and the examples' folder filled in.
windows_text() {  # template, examples folder
  sed -e "s/@VERSION@/$version/g" -e "s/@EXAMPLES@/$(printf '%s' "$2" | sed 's/\\/\\\\/g')/g" -e 's/$/\r/' "$1"
}
windows_text "$root/frontend/win32/installer/README.txt" 'C:\Program Files\KOVA\examples' >"$stage/README.txt"

setup=$dist/KOVA-$version-setup.exe
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$setup" "$root/frontend/win32/installer/KOVA.nsi"

zip_root=$build/zip/KOVA
rm -rf "$build/zip"
mkdir -p "$zip_root/examples"
cp "$stage/KOVA.exe" "$stage/kova2.exe" "$zip_root/"
cp "$stage/examples/"* "$zip_root/examples/"
windows_text "$root/frontend/win32/installer/README-zip.txt" "examples" >"$zip_root/README.txt"
archive=$dist/KOVA-$version-windows.zip
(cd "$build/zip" && zip -q -X -r "$archive" KOVA)

echo "$setup"
echo "$archive"
