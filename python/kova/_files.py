"""kova2's two result files: written by the engine's own writer, read back against their matrix."""
import os
import warnings

import numpy as np

from . import _engine
from ._result import Result


def write_result(result, output, report=None):
    output = os.fspath(output)
    report = os.fspath(report) if report is not None else os.path.join(os.path.dirname(output),
                                                                        "bicluster_report.txt")
    if _same_file(output, report):
        raise ValueError(f"the output file '{output}' and the report '{report}' are the same file: name two files")
    names = [name.encode("utf-8", "surrogateescape") for name in result.gene_names]
    _engine.write_files(names, len(result.sample_names), *result._flat(), output, report)


def _same_file(a, b):
    if os.path.exists(a) and os.path.exists(b):
        return os.path.samefile(a, b)
    return os.path.realpath(a) == os.path.realpath(b)


def read_result(output, matrix):
    """The Result that kova2 (or write) left in the output file `output`, for the matrix file
    `matrix` it was searched in (read as kova2 reads it)."""
    output, matrix = os.fspath(output), os.fspath(matrix)
    table, loader_warnings = _engine.read_matrix(matrix)
    for warning in loader_warnings:
        warnings.warn(warning, stacklevel=2)
    names = [name.decode("utf-8", "surrogateescape") for name in table.names()]
    with open(output, "rb") as file:
        lines = file.read().splitlines()
    if len(lines) % 3 != 0:
        raise ValueError(f"'{output}' is no complete output file: it holds {len(lines)} lines, not three per bicluster")
    rows_of = {}
    for row, name in enumerate(names):
        rows_of.setdefault(name, []).append(row)
    taken = np.zeros(len(names), dtype=bool)
    genes, gene_offsets, samples, sample_offsets = [], [0], [], [0]
    for k in range(len(lines) // 3):
        sizes, sample_line, gene_line = lines[3 * k:3 * k + 3]
        found_samples, found_genes = _bicluster(output, 3 * k + 1, sizes, sample_line, gene_line, table.samples)
        rows = []
        for name in found_genes:
            rows.append(_gene_row(name, rows_of, taken, rows, output, k + 1))
        taken[rows[1:]] = True
        genes += rows
        samples += found_samples
        gene_offsets.append(len(genes))
        sample_offsets.append(len(samples))
    flat = (np.array(genes, dtype=np.int32), np.array(gene_offsets, dtype=np.int64),
            np.array(samples, dtype=np.int32), np.array(sample_offsets, dtype=np.int64))
    correlations = _engine.correlations(table, *flat)
    sample_names = [f"sample{s + 1}" for s in range(table.samples)]
    return Result(names, sample_names, flat, correlations,
                  {"output": output, "matrix": matrix, "genes_are": "rows"})


def _bicluster(output, line, sizes, sample_line, gene_line, sample_count):
    """The 0-based samples and the gene names of the bicluster whose first line is `line`."""
    try:
        gene_count, selected = (int(n) for n in sizes.split(b"\t"))
        pieces = [p for p in sample_line.split(b", ") if p]
        found_samples = [int(p.removeprefix(b"sample")) - 1 for p in pieces if p.startswith(b"sample")]
    except ValueError:
        found_samples, gene_count, selected, pieces = [], -1, -2, []
    found_genes = [g.decode("utf-8", "surrogateescape") for g in gene_line.split(b"\t") if g]
    if (len(found_samples) != selected or len(pieces) != selected or len(found_genes) != gene_count
            or any(not 0 <= s < sample_count for s in found_samples)):
        raise ValueError(f"'{output}', line {line}: the bicluster does not match its own sizes or the matrix")
    return found_samples, found_genes


def _gene_row(name, rows_of, taken, members, output, number):
    """Names need not be unique in a matrix file. A gene that joined a bicluster other than as its
    first member never joins another, so a repeated name stands for the first row of that name
    not taken that way, nor already a member of this bicluster."""
    for row in rows_of.get(name, ()):
        if not taken[row] and row not in members:
            return row
    raise ValueError(f"'{output}': gene '{name}' of bicluster {number} is not in the matrix")
