"""Input a search cannot take is refused before anything runs, with a message that names the
position and says what to do; the run's numbers in the console's own words."""
import subprocess

import anndata
import numpy as np
import pandas as pd
import pytest
import scipy.sparse

import kova

rng = np.random.default_rng(7)
VALUES = rng.standard_normal((6, 5))


def _kova2_words(kova2, tmp_path, *arguments):
    """The error line kova2's batch run gives for `arguments`, without its 'kova2: error: '."""
    run = subprocess.run([str(kova2), "--matrix", "m.txt", "--output", str(tmp_path / "o.txt"), *arguments],
                         capture_output=True, text=True)
    assert run.returncode == 2
    return run.stderr.splitlines()[0].removeprefix("kova2: error: ")


@pytest.mark.parametrize("arguments, keywords", [
    (["--threshold", "85"], {"threshold": 85}),
    (["--threshold", "-1.5"], {"threshold": -1.5}),
    (["--threshold", "0.9", "--threads", "1025"], {"threshold": 0.9, "threads": 1025}),
])
def test_run_numbers_in_the_consoles_words(kova2, tmp_path, arguments, keywords):
    words = _kova2_words(kova2, tmp_path, *arguments)
    with pytest.raises(ValueError) as refused:
        kova.biclusters(VALUES, **keywords)
    assert words in str(refused.value)


@pytest.mark.parametrize("keywords, error, words", [
    ({"threshold": "0.9"}, TypeError, "real number"),
    ({"threshold": True}, TypeError, "real number"),
    ({"threshold": float("nan")}, ValueError, "threshold"),
    ({"threshold": 0.9, "max": 2.5}, TypeError, "max must be a whole number"),
    ({"threshold": 0.9, "max": 2**31}, ValueError, "does not fit a 32-bit integer"),
])
def test_run_numbers_of_the_wrong_kind(keywords, error, words):
    with pytest.raises(error, match=words):
        kova.biclusters(VALUES, **keywords)


def _with(value, gene, sample):
    values = VALUES.copy()
    values[gene, sample] = value
    return values


@pytest.mark.parametrize("data, keywords, words", [
    (_with(np.nan, 3, 4), {}, r"gene 'g4' \(index 3\), sample 'sample5' \(index 4\) is nan"),
    (_with(np.inf, 0, 1).T, {"genes_are": "columns"}, r"gene 'g1' \(index 0\), sample 'sample2' \(index 1\) is inf"),
    (pd.DataFrame(_with(-np.inf, 5, 0), index=list("abcdef"), columns=list("ABCDE")), {},
     r"gene 'f' \(index 5\), sample 'A' \(index 0\) is -inf"),
    (scipy.sparse.csc_matrix(_with(np.nan, 2, 3)), {}, r"gene 'g3' \(index 2\), sample 'sample4' \(index 3\) is nan"),
])
def test_values_that_are_not_finite_are_named(data, keywords, words):
    with pytest.raises(ValueError, match=words):
        kova.biclusters(data, 0.9, **keywords)


def test_not_finite_in_sparse_anndata_names_var_and_obs():
    X = scipy.sparse.csr_matrix(_with(np.nan, 4, 2).T)
    adata = anndata.AnnData(X, obs=pd.DataFrame(index=[f"cell{k}" for k in range(5)]),
                            var=pd.DataFrame(index=[f"gene{k}" for k in range(6)]), dtype=X.dtype)
    with pytest.raises(ValueError, match=r"gene 'gene4' \(index 4\), sample 'cell2' \(index 2\) is nan"):
        kova.biclusters(adata, 0.9)


@pytest.mark.parametrize("data, words", [
    (np.empty((0, 5)), "the matrix is empty"),
    (np.empty((4, 0)), "the matrix is empty"),
    (np.arange(5.0), "must be two-dimensional"),
    (np.zeros((2, 3, 4)), "must be two-dimensional"),
])
def test_empty_and_flat_arrays(data, words):
    with pytest.raises(ValueError, match=words):
        kova.biclusters(data, 0.9)


def test_non_numbers():
    frame = pd.DataFrame(VALUES, columns=list("ABCDE"))
    frame.insert(2, "symbol", list("uvwxyz"))
    with pytest.raises(TypeError, match=r"column 'symbol' \(position 2\).*set_index\('symbol'\)"):
        kova.biclusters(frame, 0.9)
    with pytest.raises(TypeError, match="not real numbers"):
        kova.biclusters(VALUES.astype(complex), 0.9)
    with pytest.raises(TypeError, match="not real numbers"):
        kova.biclusters(VALUES.astype(str), 0.9)


def test_integers_beyond_a_doubles_precision():
    values = np.arange(30, dtype=np.int64).reshape(6, 5)
    values[1, 2] = 2**53 + 1
    with pytest.raises(ValueError, match=r"9007199254740993 of gene 'g2' \(index 1\), sample 'sample3'"):
        kova.biclusters(values, 0.9)
    values[1, 2] = 2**60  # a double holds it exactly
    assert len(kova.biclusters(values, 0.9, max=1)) <= 1


@pytest.mark.parametrize("names, words", [
    (["a", "b", "c", "b", "e", "f"], "genes 1 and 3 of gene_names= are both named 'b'"),
    (["a", "b", " ", "d", "e", "f"], "gene 2 of gene_names= has a blank name"),
    (["a", "b", "c", "d e", "e", "f"], "'d e' of gene 3 in gene_names= holds white space"),
    (["a", "b"], "gene_names= holds 2 names for 6 genes"),
])
def test_gene_names_the_files_could_not_hold(names, words):
    with pytest.raises(ValueError, match=words):
        kova.biclusters(VALUES, 0.9, gene_names=names)


def test_duplicate_var_names_with_the_fix():
    adata = anndata.AnnData(VALUES.T, var=pd.DataFrame(index=list("abcdea")), dtype=VALUES.dtype)
    with pytest.raises(ValueError, match=r"genes 0 and 5 .*var_names.*var_names_make_unique\(\)"):
        kova.biclusters(adata, 0.9)


def test_orientation_and_layer():
    with pytest.raises(ValueError, match="genes_are must be 'rows' or 'columns'"):
        kova.biclusters(VALUES, 0.9, genes_are="cols")
    adata = anndata.AnnData(VALUES.T, dtype=VALUES.dtype)
    with pytest.raises(KeyError, match="no layer 'counts'"):
        kova.biclusters(adata, 0.9, layer="counts")
    with pytest.raises(ValueError, match="layer= is for AnnData objects only"):
        kova.biclusters(VALUES, 0.9, layer="counts")
