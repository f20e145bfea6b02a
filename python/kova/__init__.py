"""KOVA's bicluster search for numpy, pandas and AnnData: groups of at least two genes that
correlate with one another, at or above a threshold, over a common set of at least three samples.

    import kova
    result = kova.biclusters(frame, threshold=0.9)
    result.to_frame()
    result.write("result.txt")   # kova2's output file and bicluster_report.txt
"""
from ._anndata import annotate
from ._files import read_result
from ._meaning import enrichment, sample_classes, significance
from ._result import Bicluster, Result
from ._search import biclusters

__all__ = ["biclusters", "read_result", "annotate", "significance", "enrichment", "sample_classes", "Result",
           "Bicluster"]
__version__ = "1.0.0"
