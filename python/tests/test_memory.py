"""A sparse AnnData object is searched without a dense copy beside the engine's table: peak memory
within 1.5 times that of kova2 on the same matrix."""
import os
import subprocess
import sys
import textwrap

import numpy as np
import scipy.sparse

CELLS, GENES, PER_GENE = 1000, 20000, 50  # 5% of the values stored, as in single-cell counts

CHILD = textwrap.dedent("""
    import resource, sys
    import anndata, pandas, scipy.sparse
    import kova
    X = scipy.sparse.load_npz(sys.argv[1])
    genes = pandas.DataFrame(index=[f"gene{g + 1}" for g in range(X.shape[1])])
    adata = anndata.AnnData(X, var=genes, dtype=X.dtype)
    kova.biclusters(adata, 0.9, max=1).write(sys.argv[2], sys.argv[3])
    print(resource.getrusage(resource.RUSAGE_SELF).ru_maxrss)
""")


def _counts(folder):
    """Cells x genes counts (float32 CSR, as AnnData holds them) in an .npz file, and the same
    matrix as a matrix file, genes in lines. Genes 1 to 5 rise and fall together, so that the
    first bicluster is found at once and the run's memory is the table's, not the search's time."""
    rng = np.random.default_rng(25)
    cells = (rng.integers(0, CELLS, GENES)[:, None] + 20 * np.arange(PER_GENE)[None, :]) % CELLS
    counts = rng.integers(1, 20, (GENES, PER_GENE))
    dense_rows = np.zeros((5, CELLS), dtype=np.int64)
    dense_rows[:] = rng.integers(0, 20, CELLS) + rng.integers(0, 2, (5, CELLS))
    lines, indices, data, indptr = [], [], [], [0]
    labels = np.array([str(n) for n in range(64)])
    for g in range(GENES):
        row = dense_rows[g] if g < 5 else np.zeros(CELLS, dtype=np.int64)
        if g >= 5:
            row[cells[g]] = counts[g]
        stored = np.flatnonzero(row)
        indices.append(stored)
        data.append(row[stored])
        indptr.append(indptr[-1] + len(stored))
        lines.append(f"gene{g + 1}\t" + "\t".join(labels[row]))
    (folder / "counts.txt").write_text("\n".join(lines) + "\n")
    genes_by_cells = scipy.sparse.csc_matrix(
        (np.concatenate(data).astype(np.float32), np.concatenate(indices), indptr), shape=(CELLS, GENES))
    scipy.sparse.save_npz(folder / "counts.npz", genes_by_cells.tocsr())


def _peak_kib(command, **keywords):
    child = subprocess.Popen(command, stdout=subprocess.PIPE, **keywords)
    _, status, usage = os.wait4(child.pid, 0)
    assert os.waitstatus_to_exitcode(status) == 0
    return usage.ru_maxrss, child.stdout.read()


def test_sparse_anndata_within_one_and_a_half_times_kova2(kova2, tmp_path):
    _counts(tmp_path)
    engine_peak, _ = _peak_kib([str(kova2), "--matrix", str(tmp_path / "counts.txt"), "--output",
                                str(tmp_path / "kova2.txt"), "--report", str(tmp_path / "kova2_report.txt"),
                                "--threshold", "0.9", "--max", "1", "--quiet"])
    python_peak, said = _peak_kib([sys.executable, "-c", CHILD, str(tmp_path / "counts.npz"),
                                   str(tmp_path / "python.txt"), str(tmp_path / "python_report.txt")],
                                  env={**os.environ, "HOME": str(tmp_path)})
    assert int(said) == python_peak
    table_kib = GENES * CELLS * 8 // 1024
    assert engine_peak > table_kib  # kova2 held the whole table: the comparison means something
    print(f"peak memory: Python {python_peak} KiB, kova2 {engine_peak} KiB")
    assert python_peak <= 1.5 * engine_peak, f"Python {python_peak} KiB at its peak, kova2 {engine_peak} KiB"
    assert (tmp_path / "python.txt").read_bytes() == (tmp_path / "kova2.txt").read_bytes()
    assert (tmp_path / "python_report.txt").read_bytes() == (tmp_path / "kova2_report.txt").read_bytes()
