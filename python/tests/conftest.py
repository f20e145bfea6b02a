"""What every test of the package needs: the repository's real matrices (data/), the kova2 binary
the results are compared with (KOVA2), and matrices read as numpy reads text."""
import os
import pathlib
import subprocess

import pandas as pd
import pytest

ROOT = pathlib.Path(__file__).resolve().parents[2]


@pytest.fixture(scope="session")
def kova2():
    path = pathlib.Path(os.environ.get("KOVA2", ROOT / "build" / "engine" / "kova2"))
    if not os.access(path, os.X_OK):
        pytest.fail(f"no kova2 at {path}: build it and name it with KOVA2=")
    return path


@pytest.fixture(scope="session")
def data_dir():
    folder = ROOT / "data"
    if not (folder / "golub_500.txt").exists():
        pytest.fail(f"no real matrices in {folder}: run tools/make-data.sh")
    return folder


def read_matrix_text(path):
    """A matrix file as pandas reads it, with the parser that rounds each number's text correctly."""
    return pd.read_csv(path, sep=r"\s+", header=None, index_col=0, float_precision="round_trip")


def run_kova2(kova2, matrix, folder, threshold, max=None, extra=()):
    """kova2's batch run: the output file's and the report's bytes."""
    output, report = folder / "kova2_output.txt", folder / "kova2_report.txt"
    command = [str(kova2), "--matrix", str(matrix), "--output", str(output), "--report", str(report),
               "--threshold", str(threshold), "--quiet", *extra]
    if max is not None:
        command += ["--max", str(max)]
    subprocess.run(command, check=True)
    return output.read_bytes(), report.read_bytes()
