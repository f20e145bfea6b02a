"""kova.biclusters: the engine's search on a matrix held in Python."""
from . import _engine
from ._matrix import matrix_of
from ._progress import Progress
from ._result import Result
from ._settings import run_numbers


def biclusters(data, threshold, max=None, threads=0, *, genes_are=None, gene_names=None, sample_names=None,
               layer=None, progress=False):
    """The biclusters of `data` at `threshold`, in the order found, as kova2 finds them.

    data: a 2-D numpy array or scipy.sparse matrix (genes in rows unless genes_are="columns"), a
    pandas DataFrame (index the genes, columns the samples), or an AnnData object (genes its
    var_names, samples its cells: from .X or layer=, dense or sparse).
    max: at most this many biclusters (None: no limit; 0 or less: one, as the console takes it).
    threads: 0 takes one per core; the result never depends on it.
    progress: True shows a progress bar while the search runs.
    """
    threshold, max_biclusters, threads = run_numbers(threshold, max, threads)
    matrix = matrix_of(data, genes_are, gene_names, sample_names, layer)
    table = matrix.table()
    shown = Progress() if progress else None
    try:
        flat, correlations = _engine.search(table, threshold, max_biclusters, threads, shown)
    except BaseException:
        if shown is not None:
            shown.close()
        raise
    del table
    if shown is not None:
        shown.close(found=len(flat[1]) - 1)
    return Result(matrix.gene_names, matrix.sample_names, flat, correlations,
                  {"threshold": threshold, "max": max, "genes_are": "rows" if matrix.genes_in_rows else "columns",
                   "layer": layer})
