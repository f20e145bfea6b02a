"""A search's result: its biclusters as a sequence, and as scikit-learn's bicluster convention
has them, with boolean membership matrices that are sparse (a dense one for ALL.txt at 0.9 would
take 159 MB)."""
from collections.abc import Sequence
from typing import NamedTuple

import numpy as np
import scipy.sparse


class Bicluster(NamedTuple):
    number: int  # 1-based, in the order found
    genes: tuple  # names, in the order found: seed, partner, added genes
    gene_indices: np.ndarray
    samples: tuple  # names, ascending
    sample_indices: np.ndarray


class Result(Sequence):
    """The biclusters of one run, in the order found."""

    def __init__(self, gene_names, sample_names, flat, correlations, parameters):
        self.gene_names = list(gene_names)
        self.sample_names = list(sample_names)
        genes, gene_offsets, samples, sample_offsets = (np.asarray(a) for a in flat)
        self._genes, self._gene_offsets = genes.astype(np.int32), gene_offsets.astype(np.int64)
        self._samples, self._sample_offsets = samples.astype(np.int32), sample_offsets.astype(np.int64)
        self._correlations = np.asarray(correlations, dtype=np.float64).reshape(-1, 3)
        self.parameters = dict(parameters)
        self._rows = self._columns = None

    def __len__(self):
        return len(self._gene_offsets) - 1

    def __getitem__(self, key):
        if isinstance(key, slice):
            return [self[k] for k in range(*key.indices(len(self)))]
        k = _position(key, len(self))
        genes = self._genes[self._gene_offsets[k]:self._gene_offsets[k + 1]]
        samples = self._samples[self._sample_offsets[k]:self._sample_offsets[k + 1]]
        return Bicluster(k + 1, tuple(self.gene_names[g] for g in genes), genes.copy(),
                         tuple(self.sample_names[s] for s in samples), samples.copy())

    def __repr__(self):
        word = "bicluster" if len(self) == 1 else "biclusters"
        return f"<kova.Result: {len(self)} {word} in {len(self.gene_names)} genes x {len(self.sample_names)} samples>"

    @property
    def rows_(self):
        """Biclusters x genes, True where the gene belongs to the bicluster (scipy.sparse CSR)."""
        if self._rows is None:
            self._rows = _membership(self._genes, self._gene_offsets, len(self.gene_names))
        return self._rows

    @property
    def columns_(self):
        """Biclusters x samples, True where the sample belongs to the bicluster (scipy.sparse CSR)."""
        if self._columns is None:
            self._columns = _membership(self._samples, self._sample_offsets, len(self.sample_names))
        return self._columns

    @property
    def biclusters_(self):
        return self.rows_, self.columns_

    def get_indices(self, i):
        """The gene and sample indices of bicluster i (0-based), each ascending."""
        k = _position(i, len(self))
        return self.rows_[k].indices.copy(), self.columns_[k].indices.copy()

    def get_shape(self, i):
        """(genes, samples) of bicluster i."""
        k = _position(i, len(self))
        return (int(self._gene_offsets[k + 1] - self._gene_offsets[k]),
                int(self._sample_offsets[k + 1] - self._sample_offsets[k]))

    def get_submatrix(self, i, data, genes_are=None):
        """Bicluster i's part of `data` as it was searched, genes x samples: a DataFrame for a
        DataFrame, else a numpy array (a sparse matrix's part made dense)."""
        rows, columns = self.get_indices(i)
        orientation = genes_are or self.parameters.get("genes_are", "rows")
        if hasattr(data, "iloc") and hasattr(data, "columns"):
            part = data.iloc[rows, columns] if orientation == "rows" else data.iloc[columns, rows].T
            return part
        values = data.layers[self.parameters["layer"]] if self.parameters.get("layer") else getattr(data, "X", data)
        if orientation == "rows":
            part = values[rows][:, columns]
        else:
            part = values[:, rows][columns].T
        return part.toarray() if scipy.sparse.issparse(part) else np.asarray(part)

    def to_frame(self):
        """One row per bicluster: its number, genes, samples, size, the smallest, median and
        largest Pearson r of its gene pairs over its samples, and its gene and sample names."""
        import pandas as pd
        genes = np.diff(self._gene_offsets)
        samples = np.diff(self._sample_offsets)
        found = list(self)
        return pd.DataFrame({
            "genes": genes, "samples": samples, "size": genes * samples,
            "r_smallest": self._correlations[:, 0], "r_median": self._correlations[:, 1],
            "r_largest": self._correlations[:, 2],
            "gene_names": [list(b.genes) for b in found], "sample_names": [list(b.samples) for b in found],
        }, index=pd.RangeIndex(1, len(self) + 1, name="bicluster"))

    def write(self, output, report=None):
        """kova2's output file and report (default bicluster_report.txt beside the output file),
        byte for byte."""
        from ._files import write_result
        write_result(self, output, report)

    def _flat(self):
        return self._genes, self._gene_offsets, self._samples, self._sample_offsets


def _position(i, length):
    if isinstance(i, (bool, np.bool_)) or not isinstance(i, (int, np.integer)):
        raise TypeError(f"biclusters are indexed by whole numbers, not {i!r}")
    k = int(i) + length if i < 0 else int(i)
    if not 0 <= k < length:
        raise IndexError(f"there is no bicluster {i}: the result holds {length}")
    return k


def _membership(members, offsets, width):
    order = np.concatenate([np.sort(members[offsets[k]:offsets[k + 1]]) for k in range(len(offsets) - 1)]) \
        if len(offsets) > 1 else np.empty(0, dtype=np.int32)
    return scipy.sparse.csr_matrix((np.ones(len(order), dtype=bool), order, offsets),
                                   shape=(len(offsets) - 1, width))
