"""What a bicluster means, from Python: the same p-values, enrichment and sample classes as kova2's
batch files on the same run, whatever form the matrix and the annotations take; refusals."""
import numpy as np
import pandas as pd
import pytest

import kova
from kova import _engine
from conftest import read_matrix_text

THRESHOLD = 0.8


@pytest.fixture(scope="module")
def golub(data_dir):
    frame = read_matrix_text(data_dir / "golub_500.txt")
    frame.index = frame.index.astype(str)
    return frame, kova.biclusters(frame, THRESHOLD, max=60, threads=2)


def _batch(kova2, tmp_path, matrix, extra):
    """kova2's batch run with meaning flags: its tab-separated files, read by pandas."""
    import subprocess
    output = tmp_path / "out.txt"
    subprocess.run([str(kova2), "--matrix", str(matrix), "--output", str(output), "--report",
                    str(tmp_path / "report.txt"), "--threshold", str(THRESHOLD), "--max", "60", "--quiet", *extra],
                   check=True)
    return lambda kind: pd.read_csv(f"{output}.{kind}.tsv", sep="\t", keep_default_na=False, dtype={"class": str})


def test_significance_equals_kova2s_and_does_not_depend_on_threads_or_form(golub, kova2, data_dir, tmp_path):
    frame, result = golub
    files = _batch(kova2, tmp_path, data_dir / "golub_500.txt", ["--significance", "30", "--seed", "7"])
    batch = files("significance").set_index("bicluster")
    rated = kova.significance(result, frame, n=30, seed=7, threads=1)
    assert list(rated.index) == list(batch.index) == list(range(1, len(result) + 1))
    assert (rated["genes"] == batch["genes"]).all() and (rated["samples"] == batch["samples"]).all()
    np.testing.assert_allclose(rated["p_value"], batch["p_value"], rtol=1e-12)
    np.testing.assert_allclose(rated["expected"], batch["expected"], rtol=1e-12)
    assert rated["p_value"].min() >= 1 / 31 and rated["p_value"].max() <= 1

    # Two threads, the matrix as numpy genes in columns, and its file: the same numbers, bit for bit.
    by_columns = kova.biclusters(np.asfortranarray(frame.to_numpy().T), THRESHOLD, max=60, genes_are="columns",
                                 gene_names=list(frame.index))
    for again in (kova.significance(result, frame, n=30, seed=7, threads=2),
                  kova.significance(by_columns, np.asfortranarray(frame.to_numpy().T), n=30, seed=7),
                  kova.significance(kova.read_result(tmp_path / "out.txt", data_dir / "golub_500.txt"),
                                    data_dir / "golub_500.txt", n=30, seed=7, threshold=THRESHOLD, max=60)):
        assert again["p_value"].tolist() == rated["p_value"].tolist()
        assert again["expected"].tolist() == rated["expected"].tolist()
    assert kova.significance(result, frame, n=30, seed=8)["p_value"].tolist() != rated["p_value"].tolist()


def test_significance_refuses_what_it_cannot_rate(golub, data_dir):
    frame, result = golub
    with pytest.raises(ValueError, match="not the matrix the result was found in"):
        kova.significance(result, frame.iloc[:, :-1], n=5)
    with pytest.raises(ValueError, match="not the matrix the result was found in"):
        kova.significance(result, frame.rename(index={frame.index[3]: "renamed"}), n=5)
    with pytest.raises(ValueError, match="n must be a whole number of at least 1"):
        kova.significance(result, frame, n=0)
    # A result read back from files does not know its search's numbers.
    unknown = kova.Result(result.gene_names, result.sample_names, result._flat(), np.zeros((len(result), 3)), {})
    with pytest.raises(ValueError, match="give threshold="):
        kova.significance(unknown, frame, n=5)


def _gene_sets(result, frame):
    """A set holding bicluster 1's genes and as many others, one of random genes, one of none of
    the matrix's genes."""
    rng = np.random.default_rng(3)
    names = list(frame.index)
    first = list(result[0].genes)
    others = [n for n in rng.permutation(names) if n not in first]
    return {"module": first + others[:len(first)], "random": list(rng.choice(names, 40, replace=False)),
            "elsewhere": ["NOT_A_GENE_1", "NOT_A_GENE_2"]}


def test_enrichment_equals_kova2s_from_a_mapping_or_a_gmt_file(golub, kova2, data_dir, tmp_path):
    frame, result = golub
    sets = _gene_sets(result, frame)
    gmt = tmp_path / "sets.gmt"
    gmt.write_text("".join(f"{name}\tdesc of {name}\t" + "\t".join(genes) + "\n" for name, genes in sets.items()))
    batch = _batch(kova2, tmp_path, data_dir / "golub_500.txt", ["--gene-sets", str(gmt)])("enrichment")

    from_file = kova.enrichment(result, gmt)
    from_mapping = kova.enrichment(result, sets)
    # kova2's file lists each bicluster's best set and the others with q <= 0.05; here every set.
    best = ~from_file["bicluster"].duplicated()
    listed = from_file[best | (from_file["q_value"] <= 0.05)].reset_index(drop=True)
    assert len(listed) == len(batch) > 0 and len(from_file) > len(listed)
    assert listed["bicluster"].tolist() == batch["bicluster"].tolist()
    assert listed["set"].tolist() == batch["set"].tolist()
    for column in ("overlap", "set_size", "bicluster_genes", "universe"):
        assert listed[column].tolist() == batch[column].tolist()
    np.testing.assert_allclose(listed["p_value"], batch["p_value"], rtol=1e-12)
    np.testing.assert_allclose(listed["q_value"], batch["q_value"], rtol=1e-12)
    assert [",".join(g) for g in listed["genes"]] == batch["genes"].tolist()
    assert from_file["description"].iloc[0].startswith("desc of ")
    pd.testing.assert_frame_equal(from_file.drop(columns="description"), from_mapping.drop(columns="description"))

    best = from_file[from_file["bicluster"] == 1].iloc[0]
    assert best["set"] == "module" and best["overlap"] == len(result[0].genes) and best["q_value"] <= 0.01


def test_enrichment_maps_the_matrix_names_through_symbols(golub):
    frame, result = golub
    symbols = {name: f"SYM{k}" for k, name in enumerate(frame.index)}
    sets = {name: [symbols[g] for g in genes if g in symbols] for name, genes in _gene_sets(result, frame).items()}
    mapped = kova.enrichment(result, {k: v for k, v in sets.items() if v}, names=symbols)
    plain = kova.enrichment(result, {k: v for k, v in _gene_sets(result, frame).items() if k != "elsewhere"})
    pd.testing.assert_frame_equal(mapped.drop(columns="symbols"), plain.drop(columns="symbols"))
    assert mapped["symbols"].iloc[0] == [symbols[g] for g in mapped["genes"].iloc[0]]
    with pytest.raises(ValueError, match="map"):
        kova.enrichment(result, {"elsewhere": ["NOT_A_GENE"]})


def test_sample_classes_equal_kova2s_from_a_file_a_series_or_a_frame(golub, kova2, data_dir, tmp_path):
    _, result = golub
    meta = data_dir / "golub_500.meta"
    batch = _batch(kova2, tmp_path, data_dir / "golub_500.txt", ["--sample-classes", str(meta)])("classes")
    from_file = kova.sample_classes(result, meta)
    assert len(from_file) == len(batch) > 0
    for column in ("bicluster", "column", "class", "in_bicluster", "bicluster_samples", "in_matrix", "samples"):
        assert from_file[column].tolist() == batch[column].tolist(), column
    np.testing.assert_allclose(from_file["p_value"], batch["p_value"], rtol=1e-12)
    np.testing.assert_allclose(from_file["q_value"], batch["q_value"], rtol=1e-12)

    _, titles, columns = _engine.read_sample_classes(str(meta), len(result.sample_names))
    labels = pd.DataFrame(dict(zip(titles, columns)), index=result.sample_names)
    shuffled = labels.iloc[::-1]  # indexed by the sample names: taken in the result's order
    pd.testing.assert_frame_equal(kova.sample_classes(result, shuffled), from_file)
    series = kova.sample_classes(result, pd.Series(columns[0], index=result.sample_names, name=titles[0]))
    pd.testing.assert_frame_equal(series, from_file[from_file["column"] == titles[0]].reset_index(drop=True))
    with pytest.raises(ValueError, match="holds 3 labels for the result's 38 samples"):
        kova.sample_classes(result, ["ALL", "AML", "ALL"])
