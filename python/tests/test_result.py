"""The Result as a sequence and in scikit-learn's bicluster convention, its summary frame, its
files read back, and its place in an AnnData object."""
import sys

import anndata
import numpy as np
import pandas as pd
import pytest
import scipy.sparse

import kova
from conftest import read_matrix_text

THRESHOLD = 0.85


@pytest.fixture(scope="module")
def golub(data_dir):
    path = data_dir / "golub_500.txt"
    frame = read_matrix_text(path)
    return path, frame, kova.biclusters(frame, THRESHOLD)


def test_a_sequence_of_biclusters(golub):
    _, frame, result = golub
    assert len(result) > 100
    assert [b.number for b in result] == list(range(1, len(result) + 1))
    last = result[-1]
    assert last.number == len(result) and last.genes == result[len(result) - 1].genes
    assert [b.number for b in result[2:5]] == [3, 4, 5]
    for b in result[:20]:
        assert list(b.genes) == [frame.index[g] for g in b.gene_indices]
        assert list(b.samples) == [str(frame.columns[s]) for s in b.sample_indices]
        assert len(b.genes) >= 2 and len(b.samples) >= 3
    with pytest.raises(IndexError, match=f"there is no bicluster {len(result)}"):
        result[len(result)]
    with pytest.raises(TypeError):
        result["1"]


def test_membership_in_scikit_learns_convention(golub):
    _, frame, result = golub
    rows, columns = result.rows_, result.columns_
    assert scipy.sparse.issparse(rows) and rows.dtype == bool and rows.shape == (len(result), frame.shape[0])
    assert scipy.sparse.issparse(columns) and columns.shape == (len(result), frame.shape[1])
    for i in (0, 7, len(result) - 1):
        genes, samples = result.get_indices(i)
        assert list(genes) == sorted(result[i].gene_indices) and list(samples) == list(result[i].sample_indices)
        assert result.get_shape(i) == (len(genes), len(samples))
        assert list(np.flatnonzero(rows[i].toarray())) == list(genes)
        part = result.get_submatrix(i, frame)
        assert part.equals(frame.iloc[genes, samples])
        dense = result.get_submatrix(i, frame.to_numpy())
        assert np.array_equal(dense, frame.to_numpy()[np.ix_(genes, samples)])


def test_frame_with_the_plain_correlations(golub):
    _, frame, result = golub
    table = result.to_frame()
    assert list(table.columns) == ["genes", "samples", "size", "r_smallest", "r_median", "r_largest",
                                   "gene_names", "sample_names"]
    assert list(table.index) == list(range(1, len(result) + 1))
    assert (table["size"] == table["genes"] * table["samples"]).all()
    assert (table["r_smallest"] <= table["r_median"]).all() and (table["r_median"] <= table["r_largest"]).all()
    largest = int(np.argmax(table["genes"].to_numpy()))
    weakest = int(np.argmin(table["r_smallest"].to_numpy()))
    for i in (0, largest, weakest, len(result) - 1):
        genes, samples = result[i].gene_indices, result[i].sample_indices
        r = np.corrcoef(frame.to_numpy()[np.ix_(genes, samples)])[np.triu_indices(len(genes), 1)]
        row = table.loc[i + 1]
        assert row["r_smallest"] == pytest.approx(r.min(), abs=1e-12)
        assert row["r_median"] == pytest.approx(np.median(r), abs=1e-12)
        assert row["r_largest"] == pytest.approx(r.max(), abs=1e-12)
        assert row["gene_names"] == list(result[i].genes)


def test_files_read_back(golub, tmp_path):
    path, _, result = golub
    result.write(tmp_path / "out.txt")
    again = kova.read_result(tmp_path / "out.txt", path)
    assert len(again) == len(result)
    for a, b in zip(again, result):
        assert a.genes == b.genes and list(a.sample_indices) == list(b.sample_indices)
    assert again.to_frame().drop(columns="sample_names").equals(result.to_frame().drop(columns="sample_names"))
    again.write(tmp_path / "again.txt", tmp_path / "again_report.txt")
    assert (tmp_path / "again.txt").read_bytes() == (tmp_path / "out.txt").read_bytes()
    assert (tmp_path / "again_report.txt").read_bytes() == (tmp_path / "bicluster_report.txt").read_bytes()


def test_repeated_names_in_a_matrix_file(tmp_path):
    """A name twice in the file: a gene that joined a bicluster after its first member is never a
    member again, so the name stands for the first row of it not taken that way."""
    rows = ["a 1 2 3 4 5", "b 2 4 6 8 11", "a 1 3 3 4 6", "c 5 1 4 2 3"]
    (tmp_path / "m.txt").write_text("\n".join(rows) + "\n")
    (tmp_path / "out.txt").write_bytes(b"3\t5\r\nsample1, sample2, sample3, sample4, sample5, \r\na\tb\ta\t\r\n"
                                       b"2\t3\r\nsample2, sample4, sample5, \r\na\tc\t\r\n")
    result = kova.read_result(tmp_path / "out.txt", tmp_path / "m.txt")
    assert [list(b.gene_indices) for b in result] == [[0, 1, 2], [0, 3]]
    assert kova.read_result(tmp_path / "out.txt", tmp_path / "m.txt")[0].genes == ("a", "b", "a")


@pytest.mark.parametrize("text, words", [
    (b"2\t3\r\nsample1, sample2, sample3, \r\n", "holds 2 lines, not three per bicluster"),
    (b"2\t3\r\nsample1, sample2, \r\na\tb\t\r\n", "line 1: the bicluster does not match its own sizes"),
    (b"2\t3\r\nsample1, sample2, sample9, \r\na\tb\t\r\n", "line 1: the bicluster does not match"),
    (b"2\t3\r\nsample1, sample2, sample3, \r\na\tz\t\r\n", "gene 'z' of bicluster 1 is not in the matrix"),
])
def test_output_files_that_do_not_fit_their_matrix(tmp_path, text, words):
    (tmp_path / "m.txt").write_text("a 1 2 3 4 5\nb 2 4 6 8 11\n")
    (tmp_path / "out.txt").write_bytes(text)
    with pytest.raises(ValueError, match=words):
        kova.read_result(tmp_path / "out.txt", tmp_path / "m.txt")


def test_write_refuses_one_file_for_both(golub, tmp_path):
    _, _, result = golub
    with pytest.raises(ValueError, match="are the same file"):
        result.write(tmp_path / "same.txt", tmp_path / "same.txt")
    with pytest.raises(OSError, match="no_such_folder"):
        result.write(tmp_path / "no_such_folder" / "out.txt")


def test_annotate_as_scanpys_tools_do(golub, tmp_path):
    _, frame, _ = golub
    values = frame.to_numpy()
    adata = anndata.AnnData(scipy.sparse.csr_matrix(values.T), var=pd.DataFrame(index=list(frame.index)),
                            obs=pd.DataFrame(index=[f"s{c}" for c in frame.columns]), dtype=values.dtype)
    result = kova.biclusters(adata, THRESHOLD)
    genes, samples = result.get_indices(5)
    assert np.array_equal(result.get_submatrix(5, adata), values[np.ix_(genes, samples)])
    kova.annotate(adata, result)
    result.write(tmp_path / "out.txt")
    report = (tmp_path / "bicluster_report.txt").read_bytes().split(b"\r\n")
    per_gene = [int(n) for n in report[-4].split(b"\t") if n]
    assert list(adata.var["kova"]) == per_gene
    assert adata.uns["kova"]["params"]["threshold"] == THRESHOLD
    assert len(adata.uns["kova"]["summary"]) == len(result)
    adata.write_h5ad(tmp_path / "annotated.h5ad")  # what scanpy users save it in
    assert list(anndata.read_h5ad(tmp_path / "annotated.h5ad").var["kova"]) == per_gene
    with pytest.raises(ValueError, match="not the AnnData object's var_names"):
        kova.annotate(adata[:, :100].copy(), result)


def test_progress_shown(golub, capsys, monkeypatch):
    _, frame, result = golub
    shown = kova.biclusters(frame, THRESHOLD, progress=True)
    assert "100%" in capsys.readouterr().err
    assert [b.genes for b in shown] == [b.genes for b in result]
    monkeypatch.setitem(sys.modules, "tqdm.auto", None)  # as where tqdm is not installed
    kova.biclusters(frame, THRESHOLD, progress=True)
    assert capsys.readouterr().err.endswith(f"kova: 100% searched, {len(result)} biclusters\n")
