"""The same bytes as kova2's batch run, whatever form the matrix takes in Python: numpy, DataFrame,
AnnData dense, CSR and CSC, genes in rows or in columns."""
import anndata
import numpy as np
import pandas as pd
import pytest
import scipy.sparse

import kova
from kova import _engine
from conftest import read_matrix_text, run_kova2

RUNS = {"golub_500": 0.8, "ALL_top1000": 0.9}


def _anndata(values, names, genes_in_rows, kind):
    """An AnnData object of genes x samples `values`: cells x genes as AnnData holds them, or the
    genes as its rows."""
    held = values if genes_in_rows else values.T
    if kind != "dense":
        held = scipy.sparse.csr_matrix(held) if kind == "csr" else scipy.sparse.csc_matrix(held)
    samples = [f"s{k}" for k in range(values.shape[1])]
    obs, var = (names, samples) if genes_in_rows else (samples, names)
    # dtype kept: anndata 0.8 would make the values float32 otherwise
    return anndata.AnnData(held, obs=pd.DataFrame(index=obs), var=pd.DataFrame(index=var), dtype=held.dtype)


def _forms(frame):
    """(label, data, keywords) for every way the matrix can be given."""
    values, names = frame.to_numpy(), [str(n) for n in frame.index]
    yield "numpy rows", values, {"gene_names": names}
    yield "numpy columns", np.asfortranarray(values.T), {"gene_names": names, "genes_are": "columns"}
    yield "DataFrame rows", frame, {}
    yield "DataFrame columns", frame.T, {"genes_are": "columns"}
    yield "scipy CSR rows", scipy.sparse.csr_matrix(values), {"gene_names": names}
    for kind in ("dense", "csr", "csc"):
        yield f"AnnData {kind}, genes as var", _anndata(values, names, False, kind), {}
        yield f"AnnData {kind}, genes as obs", _anndata(values, names, True, kind), {"genes_are": "rows"}


@pytest.fixture(scope="module", params=sorted(RUNS))
def matrix(request, data_dir, kova2, tmp_path_factory):
    name = request.param
    path = data_dir / f"{name}.txt"
    frame = read_matrix_text(path)
    frame.index = frame.index.astype(str)
    expected = run_kova2(kova2, path, tmp_path_factory.mktemp(name), RUNS[name])
    return name, path, frame, expected


def test_numbers_read_by_pandas_are_the_engines(matrix):
    """The premise of every comparison here: the text's round-trip-correct doubles are the values
    kova2 reads, gene by gene, and so are the names."""
    name, path, frame, _ = matrix
    table, warnings = _engine.read_matrix(str(path))
    assert warnings == []
    assert np.array_equal(table.values(), frame.to_numpy())
    assert [n.decode() for n in table.names()] == list(frame.index)


def test_every_form_gives_kova2s_files(matrix, tmp_path):
    name, _, frame, (output, report) = matrix
    assert output.count(b"\r\n") > 300  # a run with many biclusters, not a trivial one
    for label, data, keywords in _forms(frame):
        result = kova.biclusters(data, RUNS[name], **keywords)
        result.write(tmp_path / "output.txt", tmp_path / "report.txt")
        assert (tmp_path / "output.txt").read_bytes() == output, label
        assert (tmp_path / "report.txt").read_bytes() == report, label


def test_maximum_and_threads_as_kova2_takes_them(data_dir, kova2, tmp_path):
    path = data_dir / "golub_500.txt"
    frame = read_matrix_text(path)
    for maximum, threads in ((25, 1), (0, 2), (-3, 0)):
        expected = run_kova2(kova2, path, tmp_path, 0.85, max=maximum)
        result = kova.biclusters(frame, 0.85, max=maximum, threads=threads)
        assert len(result) == (maximum if maximum > 0 else 1)
        result.write(tmp_path / "output.txt")  # the report beside it, as kova2 puts it
        assert (tmp_path / "output.txt").read_bytes() == expected[0]
        assert (tmp_path / "bicluster_report.txt").read_bytes() == expected[1]
