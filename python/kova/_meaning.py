"""What a bicluster means: its chance of arising by accident, the gene sets it shares, the sample
classes it holds (docs/meaning.md). Each function takes a Result and returns a DataFrame."""
import os

import numpy as np

from . import _engine
from ._matrix import matrix_of
from ._progress import Progress
from ._settings import NO_LIMIT, run_numbers


def significance(result, data, n=100, seed=1, threads=0, progress=False, *, threshold=None, max=None):
    """Every bicluster's family-wise p-value: the same search (same threshold and max) on `n`
    matrices whose genes' values are each permuted over the samples, from `seed`. `data` is the
    matrix the result was found in, as it was given (an array needs no names), or its file. The
    p-values do not depend on `threads` or the processor. A result read back from files does not
    know its search's numbers: give them as threshold= and max=.

    Returns a DataFrame indexed by bicluster: genes, samples, p_value (one plus the null runs with
    a bicluster at least as large in genes and in samples, over n + 1) and expected (the mean
    number of such biclusters per null run)."""
    import pandas as pd
    runs, seed = _whole(n, "n", 1), _whole(seed, "seed", 0)
    if seed >= 2**64:
        raise ValueError(f"seed {seed} does not fit 64 bits")
    if threshold is None:
        threshold, max = result.parameters.get("threshold"), result.parameters.get("max")
        if threshold is None:
            raise ValueError("the result does not record its search's threshold (it was read from files): give "
                             "threshold= and max= as the search had them")
    threshold, max_biclusters, threads = run_numbers(threshold, NO_LIMIT if max is None else max, threads)
    table = _same_table(result, data)
    shown = Progress("null runs") if progress else None
    tick = None if shown is None else (lambda done, total: shown((0, done, 1 - done / total)))
    try:
        p, expected = _engine.significance(table, threshold, max_biclusters, threads, *result._flat(), runs, seed,
                                           tick)
    finally:
        if shown is not None:
            shown.close()
    shapes = np.array([result.get_shape(k) for k in range(len(result))], dtype=np.int64).reshape(-1, 2)
    return pd.DataFrame({"genes": shapes[:, 0], "samples": shapes[:, 1], "p_value": p, "expected": expected},
                        index=pd.RangeIndex(1, len(result) + 1, name="bicluster"))


def enrichment(result, sets, names=None):
    """The gene sets every bicluster's genes share: the hypergeometric test of its genes against
    each set, the universe being the matrix's genes that map into at least one set, with
    Benjamini-Hochberg over the sets within the bicluster.

    sets: a GMT file's path, or a mapping of set name to its genes. names: where the matrix's
    names (probe IDs, Ensembl IDs) are not the sets' names, a tab-separated file (matrix name,
    symbol, description) or a mapping of matrix name to symbol.

    Returns one row per bicluster and set with a gene in common, most significant first within
    each bicluster."""
    import pandas as pd
    parsed = _gene_sets(sets)
    mapping = _gene_names(names)
    rows = _engine.enrichment(result.gene_names, mapping, parsed, *result._flat(), len(result.sample_names))
    symbol = dict(mapping) if mapping is not None else {}
    records = []
    for bicluster, set_index, overlap, set_size, bicluster_genes, universe, p, q, genes in rows:
        gene_names = [result.gene_names[g] for g in genes]
        records.append((bicluster, parsed[set_index][0], parsed[set_index][1], overlap, set_size, bicluster_genes,
                        universe, p, q, gene_names, [symbol.get(g, g) for g in gene_names]))
    return pd.DataFrame.from_records(records, columns=[
        "bicluster", "set", "description", "overlap", "set_size", "bicluster_genes", "universe", "p_value",
        "q_value", "genes", "symbols"])


def sample_classes(result, classes):
    """The sample classes over-represented among every bicluster's samples: the hypergeometric
    test of each class its samples hold, with Benjamini-Hochberg over the column's classes.

    classes: one label per sample in the result's sample order, as a pandas Series or DataFrame
    (indexed by the result's sample names, one column per annotation), a sequence, a mapping of
    column title to labels, or an annotation file's path (as kovaview's --samples reads). A blank
    label or None leaves the sample unannotated in that column.

    Returns one row per bicluster, column and class its samples hold, most significant first."""
    import pandas as pd
    titles, columns = _class_columns(result, classes)
    rows = _engine.sample_classes(columns, *result._flat(), len(result.gene_names), len(result.sample_names))
    return pd.DataFrame.from_records(
        [(b, titles[c], level, k, n, K, N, p, q) for b, c, level, k, n, K, N, p, q in rows],
        columns=["bicluster", "column", "class", "in_bicluster", "bicluster_samples", "in_matrix", "samples",
                 "p_value", "q_value"])


def _whole(value, what, least):
    if isinstance(value, bool) or not isinstance(value, (int, np.integer)) or value < least:
        raise ValueError(f"{what} must be a whole number of at least {least}, not {value!r}")
    return int(value)


def _same_table(result, data):
    """The engine's table of `data` seen as the result saw it; refused when its genes or samples
    are not the result's."""
    if isinstance(data, (str, os.PathLike)):
        table, _ = _engine.read_matrix(os.fspath(data))
        genes = [name.decode("utf-8", "surrogateescape") for name in table.names()]
        samples = table.samples
    else:
        orientation, layer = result.parameters.get("genes_are", "rows"), result.parameters.get("layer")
        named = hasattr(data, "var_names") or (hasattr(data, "index") and hasattr(data, "columns"))
        matrix = matrix_of(data, orientation, None if named else result.gene_names,
                           None if named else result.sample_names, layer)
        if list(matrix.sample_names) != result.sample_names:
            raise ValueError("the data is not the matrix the result was found in: its samples differ; give the "
                             "same matrix (and for AnnData the same layer)")
        table, genes, samples = matrix.table(), matrix.gene_names, matrix.samples
    if list(genes) != result.gene_names or samples != len(result.sample_names):
        raise ValueError("the data is not the matrix the result was found in: its genes or samples differ; give "
                         "the same matrix (and for AnnData the same layer)")
    return table


def _gene_sets(sets):
    if isinstance(sets, (str, os.PathLike)):
        return _engine.read_gene_sets(os.fspath(sets))
    if not hasattr(sets, "items"):
        raise TypeError("sets must be a GMT file's path or a mapping of set name to its genes")
    parsed = []
    for name, genes in sets.items():
        if isinstance(genes, str):
            raise TypeError(f"the genes of set '{name}' must be a sequence of names, not one string")
        parsed.append((str(name), "", [str(g) for g in genes]))
    return parsed


def _gene_names(names):
    if names is None:
        return None
    if isinstance(names, (str, os.PathLike)):
        return _engine.read_gene_names(os.fspath(names))
    if not hasattr(names, "items"):
        raise TypeError("names must be a gene names file's path or a mapping of matrix name to symbol")
    return [(str(name), str(symbol)) for name, symbol in names.items()]


def _class_columns(result, classes):
    samples = len(result.sample_names)
    if isinstance(classes, (str, os.PathLike)):
        _, titles, columns = _engine.read_sample_classes(os.fspath(classes), samples)
        return titles, columns
    if hasattr(classes, "to_frame") and not hasattr(classes, "columns"):  # a Series
        classes = classes.to_frame(name=classes.name if classes.name is not None else "class 1")
    if hasattr(classes, "columns") and hasattr(classes, "reindex"):  # a DataFrame
        if set(map(str, classes.index)) >= set(result.sample_names):
            classes = classes.set_axis(list(map(str, classes.index)), axis=0).reindex(result.sample_names)
        columns = {str(title): list(classes[title]) for title in classes.columns}
    elif hasattr(classes, "items"):
        columns = {str(title): list(labels) for title, labels in classes.items()}
    else:
        columns = {"class 1": list(classes)}
    for title, labels in columns.items():
        if len(labels) != samples:
            raise ValueError(f"class column '{title}' holds {len(labels)} labels for the result's {samples} samples")
    return list(columns), [[_label(v) for v in labels] for labels in columns.values()]


def _label(value):
    if value is None or (isinstance(value, float) and np.isnan(value)):
        return ""
    return str(value)
