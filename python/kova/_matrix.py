"""What a search reads: numpy arrays, pandas DataFrames and AnnData objects seen as genes x samples,
with their names, filled into the engine's gene table a block at a time so that no dense copy of
the whole matrix is made beside the table."""
import numpy as np
import scipy.sparse

from . import _engine
from ._values import as_doubles, refuse_not_finite

_BLOCK_VALUES = 1 << 20  # doubles per block of a dense copy: 8 MB
_ORIENTATIONS = ("rows", "columns")


class Matrix:
    """Genes x samples of the caller's data, its names, and where each gene's values are."""

    def __init__(self, values, genes_in_rows, gene_names, sample_names):
        self.values = values
        self.genes_in_rows = genes_in_rows
        self.gene_names = gene_names
        self.sample_names = sample_names

    @property
    def genes(self):
        return len(self.gene_names)

    @property
    def samples(self):
        return len(self.sample_names)

    def where(self, gene, sample):
        return (f"gene '{self.gene_names[gene]}' (index {gene}), sample '{self.sample_names[sample]}' "
                f"(index {sample})")

    def table(self):
        """The engine's gene table of these genes, names and values."""
        table = _engine.Table(self.genes, self.samples)
        table.set_names([name.encode("utf-8", "surrogateescape") for name in self.gene_names])
        if scipy.sparse.issparse(self.values):
            self._fill_sparse(table)
        else:
            self._fill_dense(table)
        return table

    def _fill_dense(self, table):
        step = max(1, _BLOCK_VALUES // max(1, self.samples))
        for first in range(0, self.genes, step):
            last = min(self.genes, first + step)
            block = self._dense_block(first, last)
            where = lambda i: self.where(first + i[0], i[1])  # noqa: E731
            doubles = as_doubles(block, where)
            refuse_not_finite(doubles, where)
            table.set_rows(first, doubles)

    def _dense_block(self, first, last):
        """Genes first..last-1 as rows."""
        if hasattr(self.values, "iloc"):
            frame = self.values.iloc[first:last] if self.genes_in_rows else self.values.iloc[:, first:last].T
            return frame_values(frame)
        return self.values[first:last] if self.genes_in_rows else self.values[:, first:last].T

    def _fill_sparse(self, table):
        values = self.values
        if values.format not in ("csr", "csc"):
            values = values.tocsr()
        # CSR holds rows, CSC columns one after another: the major axis.
        major_is_gene = (values.format == "csr") == self.genes_in_rows
        majors = values.shape[0] if values.format == "csr" else values.shape[1]
        indptr = np.asarray(values.indptr, dtype=np.int64)
        step = 4096
        for first in range(0, majors, step):
            last = min(majors, first + step)
            begin, end = indptr[first], indptr[last]
            entries = values.data[begin:end]
            minors = values.indices[begin:end]

            def where(i, begin=begin, minors=minors):
                major = int(np.searchsorted(indptr, begin + i[0], side="right")) - 1
                minor = int(minors[i[0]])
                return self.where(major, minor) if major_is_gene else self.where(minor, major)

            doubles = as_doubles(entries, where)
            refuse_not_finite(doubles, where)
            table.add_entries(first, indptr[first:last + 1], np.asarray(minors, dtype=np.int64), doubles,
                              major_is_gene)


def frame_values(frame):
    """A DataFrame's values with their own dtype where it is one numpy dtype, else column by column."""
    dtypes = set(frame.dtypes)
    if len(dtypes) == 1 and isinstance(next(iter(dtypes)), np.dtype):
        return frame.to_numpy()
    columns = [_column_values(frame.iloc[:, j]) for j in range(frame.shape[1])]
    return np.column_stack(columns) if columns else np.empty((frame.shape[0], 0))


def _column_values(column):
    if isinstance(column.dtype, np.dtype):
        return as_doubles(column.to_numpy(), lambda i: f"row {i[0]} of column '{column.name}'")
    return column.to_numpy(dtype=np.float64, na_value=np.nan)  # pandas' nullable numbers


def matrix_of(data, genes_are=None, gene_names=None, sample_names=None, layer=None):
    """The Matrix of numpy, pandas or AnnData `data`; refuses what a search cannot read."""
    if genes_are is not None and genes_are not in _ORIENTATIONS:
        raise ValueError(f"genes_are must be 'rows' or 'columns', not {genes_are!r}")
    if _is_anndata(data):
        if gene_names is not None or sample_names is not None:
            raise ValueError("an AnnData object names its own genes and samples (var_names and obs_names)")
        return _anndata_matrix(data, genes_are or "columns", layer)
    if layer is not None:
        raise ValueError("layer= is for AnnData objects only")
    if hasattr(data, "iloc") and hasattr(data, "columns"):
        if gene_names is not None or sample_names is not None:
            raise ValueError("a DataFrame names its own genes and samples (its index and columns)")
        return _frame_matrix(data, (genes_are or "rows") == "rows")
    if hasattr(data, "iloc"):
        raise TypeError("a pandas Series is one-dimensional: KOVA needs a matrix of genes x samples")
    genes_in_rows = (genes_are or "rows") == "rows"
    if scipy.sparse.issparse(data):
        values = data
    else:
        values = np.asarray(data)
        if values.ndim != 2:
            raise ValueError(f"the matrix must be two-dimensional (genes x samples), not of shape {values.shape}; "
                             "a single gene's values are no matrix: reshape(1, -1) them, with other genes")
    genes, samples = values.shape if genes_in_rows else values.shape[::-1]
    gene_names = _given_names(gene_names, genes, "g", "gene_names", "genes")
    sample_names = _given_names(sample_names, samples, "sample", "sample_names", "samples")
    return _checked(Matrix(values, genes_in_rows, gene_names, sample_names), "gene_names=")


def _given_names(names, count, prefix, argument, what):
    if names is None:
        return [f"{prefix}{k + 1}" for k in range(count)]
    names = [str(name) for name in names]
    if len(names) != count:
        raise ValueError(f"{argument}= holds {len(names)} names for {count} {what}")
    return names


def _frame_matrix(frame, genes_in_rows):
    for position, (column, dtype) in enumerate(frame.dtypes.items()):
        if not _numeric(dtype):
            raise TypeError(f"column '{column}' (position {position}) of the DataFrame holds {dtype}, not numbers: "
                            f"make it the index (frame.set_index('{column}')) or drop it")
    index, columns = (frame.index, frame.columns) if genes_in_rows else (frame.columns, frame.index)
    matrix = Matrix(frame, genes_in_rows, [str(n) for n in index], [str(n) for n in columns])
    return _checked(matrix, "the DataFrame's index" if genes_in_rows else "the DataFrame's columns")


def _numeric(dtype):
    import pandas.api.types as types
    return types.is_numeric_dtype(dtype) and not types.is_complex_dtype(dtype)


def _is_anndata(data):
    return type(data).__module__.split(".")[0] == "anndata" and hasattr(data, "var_names")


def _anndata_matrix(adata, genes_are, layer):
    if layer is None:
        values = adata.X
        source = "X"
    elif layer in adata.layers:
        values = adata.layers[layer]
        source = f"layer '{layer}'"
    else:
        raise KeyError(f"the AnnData object has no layer '{layer}'; its layers: {', '.join(adata.layers) or 'none'}")
    if values is None:
        raise ValueError("the AnnData object holds no matrix in X: give layer=")
    if not scipy.sparse.issparse(values) and not isinstance(values, np.ndarray):
        if getattr(adata, "isbacked", False):
            raise ValueError("the AnnData object is backed by its file: load it into memory first (adata.to_memory())")
        values = np.asarray(values)
    if values.ndim != 2:
        raise ValueError(f"the AnnData {source} is not two-dimensional")
    genes_in_rows = genes_are == "rows"
    genes, samples = (adata.obs_names, adata.var_names) if genes_in_rows else (adata.var_names, adata.obs_names)
    matrix = Matrix(values, genes_in_rows, [str(n) for n in genes], [str(n) for n in samples])
    names = "obs_names" if genes_in_rows else "var_names"
    return _checked(matrix, f"the AnnData object's {names}", f"; adata.{names}_make_unique() makes them unique")


def _checked(matrix, names_from, unique_advice=""):
    """Refuses an empty matrix and gene names that the result files could not hold."""
    if matrix.genes == 0 or matrix.samples == 0:
        raise ValueError(f"the matrix is empty ({matrix.genes} genes x {matrix.samples} samples): "
                         "KOVA needs at least one gene and one sample")
    first_of = {}
    for index, name in enumerate(matrix.gene_names):
        if name.strip() == "":
            raise ValueError(f"gene {index} of {names_from} has a blank name: every gene needs a name in the "
                             "result files")
        if any(c.isspace() for c in name):
            raise ValueError(f"the name {name!r} of gene {index} in {names_from} holds white space, which separates "
                             "names from values in matrix files: replace it (e.g. with '_')")
        if name in first_of:
            raise ValueError(f"genes {first_of[name]} and {index} of {names_from} are both named '{name}': the result "
                             f"files name genes, so every name must be unique{unique_advice}")
        first_of[name] = index
    return matrix
