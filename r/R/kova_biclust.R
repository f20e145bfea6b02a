# The result in the shapes other Bioconductor tools take: biclust's Biclust object, and one
# bicluster's part of the matrix.

# biclust's Biclust class where biclust is installed; else a class of that name already defined
# (one of the same slots).
as_biclust <- function(result) {
  if (!inherits(result, "kova_result")) stop("'result' must be a kova_result", call. = FALSE)
  if (requireNamespace("biclust", quietly = TRUE)) {
    class <- methods::getClass("Biclust", where = asNamespace("biclust"))
  } else if (methods::isClass("Biclust")) {
    class <- methods::getClass("Biclust")
  } else {
    stop("as_biclust needs the package biclust, which is not installed", call. = FALSE)
  }
  # biclust's slots hold dense matrices.
  methods::new(class, Parameters = c(result$parameters, list(method = "kova")),
               RowxNumber = as.matrix(result$RowxNumber), NumberxCol = as.matrix(result$NumberxCol),
               Number = length(result), info = list(plain_r = as.data.frame(result)[c("smallest_r", "median_r",
                                                                                      "largest_r")]))
}

# Bicluster k's genes and samples of `x`, the matrix, ExpressionSet or SummarizedExperiment the
# search ran on, in the same class.
kova_submatrix <- function(result, k, x) {
  if (!inherits(result, "kova_result")) stop("'result' must be a kova_result", call. = FALSE)
  b <- result[[k]]
  run <- attr(result, "kova")
  genes <- if (is(x, "ExpressionSet") || is(x, "SummarizedExperiment")) rownames(x) else rownames(as.matrix(x))
  if (!is.null(run$gene_names) &&
      (!identical(as.character(genes), run$gene_names) || ncol(x) != run$n_samples)) {
    stop(sprintf(paste("'x' is not the matrix of this result: it has %d genes x %d samples, the result's",
                       "has %d x %d, or other gene names"), nrow(x), ncol(x), length(run$gene_names), run$n_samples),
         call. = FALSE)
  }
  rows <- b$rows
  if (anyNA(rows)) {
    # Read without its matrix: the genes by name.
    rows <- match(b$genes, genes)
    if (anyNA(rows)) stop(sprintf("gene '%s' of the bicluster is not in 'x'", b$genes[is.na(rows)][1L]), call. = FALSE)
  }
  if (any(b$columns > ncol(x))) stop("'x' has fewer samples than the bicluster names", call. = FALSE)
  x[rows, b$columns, drop = FALSE]
}
