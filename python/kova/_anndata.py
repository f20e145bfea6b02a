"""A result kept in its AnnData object, the way scanpy's tools keep theirs."""
import numpy as np


def annotate(adata, result, key="kova"):
    """Stores `result` in adata.uns[key] and each gene's number of biclusters in the column `key`
    of adata.var (adata.obs when the genes are its rows)."""
    genes_in_rows = result.parameters.get("genes_are") == "rows"
    names = adata.obs_names if genes_in_rows else adata.var_names
    if list(map(str, names)) != result.gene_names:
        where = "obs_names" if genes_in_rows else "var_names"
        raise ValueError(f"the result's genes are not the AnnData object's {where}: annotate the object it was found in")
    genes, gene_offsets, samples, sample_offsets = result._flat()
    frame = result.to_frame()
    frame.index = frame.index.astype(str)
    adata.uns[key] = {
        "params": {k: v for k, v in result.parameters.items() if v is not None},
        "summary": frame.drop(columns=["gene_names", "sample_names"]),
        "gene_indices": genes, "gene_offsets": gene_offsets,
        "sample_indices": samples, "sample_offsets": sample_offsets,
    }
    counts = np.asarray(result.rows_.sum(axis=0)).ravel().astype(np.int32)
    (adata.obs if genes_in_rows else adata.var)[key] = counts
