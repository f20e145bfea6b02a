#!/usr/bin/env bash
# The Windows front end as a user gets it: tools/package-windows.sh builds KOVA-<version>-setup.exe
# and the zip, then tests/system/wine/frontend_wine_test.sh installs the setup under Wine and clicks a
# whole run through. Usage: check_windows_frontend.sh LAYOUT_DUMP (the host build's
# kova_layout_dump, which prints the windows' control tables for the clicks).
set -euo pipefail
cd "$(dirname "$0")/.."

layout_dump=$1
mapfile -t downloads < <(bash tools/package-windows.sh | tail -n 2)
[ -f "${downloads[0]}" ] && [ -f "${downloads[1]}" ] || { echo "FAIL: package-windows.sh made no downloads" >&2; exit 1; }
# The zip holds the same programs as the installer, with its own readme.
listing=$(unzip -Z1 "${downloads[1]}")
for file in KOVA/KOVA.exe KOVA/kova2.exe KOVA/README.txt KOVA/examples/worked_example.txt KOVA/examples/golub_500.txt; do
  grep -qx "$file" <<<"$listing" || { echo "FAIL: $file is not in ${downloads[1]}" >&2; exit 1; }
done
# At 100 % and at 150 % display scaling: the windows keep their proportions.
for dpi in 96 144; do
  echo "-- display scaling: $dpi dots per inch"
  KOVA_WINE_DPI=$dpi bash tests/system/wine/frontend_wine_test.sh "${downloads[0]}" "$layout_dump" examples/worked_example.txt
done
