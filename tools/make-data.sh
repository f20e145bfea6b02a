#!/usr/bin/env bash
# Makes the real expression matrices and their .meta files in <repo>/data/ from Debian's
# Bioconductor data packages through R, and checks every byte against tools/data.md5.
# Does nothing when data/ already holds them. Usage: bash tools/make-data.sh
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
data="$root/data"
sums="$root/tools/data.md5"

if [ -d "$data" ] && (cd "$data" && md5sum --quiet -c "$sums" >/dev/null 2>&1); then
  echo "make-data: $data already holds the real matrices"
  exit 0
fi

bash "$root/tools/install-deps.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "make-data: writing the matrices from r-bioc-all, r-bioc-multtest, r-bioc-bladderbatch, r-bioc-biobase"
Rscript "$root/tools/make-data.R" "$work"
if ! (cd "$work" && md5sum --quiet -c "$sums"); then
  echo "make-data: error: the files made differ from tools/data.md5 (listed above); a newer Debian data package? data/ left as it was" >&2
  exit 1
fi
mkdir -p "$data"
mv -f "$work"/* "$data"/
echo "make-data: $data holds $(wc -l < "$sums") files, checked against tools/data.md5"
