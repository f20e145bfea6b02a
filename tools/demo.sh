#!/usr/bin/env bash
# Installs what is needed, builds, and runs kova2 on the bundled worked example, then shows the
# two result files. The run description files go to a temporary HOME, never to yours.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build

run_home=$(mktemp -d)
trap 'rm -rf "$run_home"' EXIT
example="$PWD/examples/worked_example.txt"
printf '%s\r\n%s\r\n' "$example" "$run_home/result.txt" > "$run_home/outinfo.txt"
printf '5\r\n5\r\n0.9\r\n' > "$run_home/doutinfo.txt"
(cd "$run_home" && echo 10 | HOME="$run_home" "$OLDPWD/build/engine/kova2")

echo
echo "== output file (result.txt) =="
cat "$run_home/result.txt"
echo "== bicluster_report.txt =="
cat "$run_home/bicluster_report.txt"

# The Python package kova, into a virtual environment under build/ (the system's Python is left
# alone): the same search on the example read by pandas.
echo
echo "== Python package kova =="
/usr/bin/python3 -m venv --system-site-packages build/python-venv
build/python-venv/bin/python -m pip install --no-build-isolation --no-index -q ./python
HOME="$run_home" build/python-venv/bin/python - "$example" <<'PY'
import sys
import pandas
import kova
frame = pandas.read_csv(sys.argv[1], sep=r"\s+", header=None, index_col=0, float_precision="round_trip")
result = kova.biclusters(frame, threshold=0.9, max=10)
print(result)
print(result.to_frame()[["genes", "samples", "r_smallest", "r_median", "r_largest", "gene_names"]])
PY

# The R package kova, where R is installed: the same search on a matrix held in R.
if command -v R >/dev/null; then
  echo
  echo "== R package kova =="
  bash tools/build-r-package.sh --no-check
  R_LIBS="$PWD/build/r-package/library" Rscript -e '
    x <- as.matrix(read.table(commandArgs(TRUE)[1], row.names = 1))
    print(kova::kova_biclusters(x, threshold = 0.9))' "$example"
fi
