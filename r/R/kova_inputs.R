# What the search takes: a numeric matrix with genes in rows, from a matrix, a data frame, an
# ExpressionSet or a SummarizedExperiment, and the sample annotation that came with it.

# A list of the matrix (values, row names, column names) and the sample annotation (or NULL).
expression_input <- function(x, assay = NULL) {
  samples <- NULL
  if (is(x, "SummarizedExperiment")) {
    if (!requireNamespace("SummarizedExperiment", quietly = TRUE)) {
      stop("'x' is a SummarizedExperiment, but SummarizedExperiment is not installed", call. = FALSE)
    }
    samples <- as.data.frame(SummarizedExperiment::colData(x))
    x <- as.matrix(SummarizedExperiment::assay(x, chosen_assay(assay, SummarizedExperiment::assayNames(x),
                                                               length(SummarizedExperiment::assays(x)))))
  } else if (is(x, "ExpressionSet")) {
    if (!requireNamespace("Biobase", quietly = TRUE)) {
      stop("'x' is an ExpressionSet, but Biobase is not installed", call. = FALSE)
    }
    samples <- Biobase::pData(x)
    elements <- Biobase::assayDataElementNames(x)
    x <- Biobase::assayDataElement(x, elements[chosen_assay(if (is.null(assay)) "exprs" else assay, elements,
                                                            length(elements))])
  } else if (!is.null(assay)) {
    stop("'assay' chooses among the assays of a SummarizedExperiment or an ExpressionSet; 'x' has none",
         call. = FALSE)
  }
  if (is.data.frame(x)) x <- as.matrix(x)
  if (!is.matrix(x) || !(is.numeric(x) || is.logical(x))) {
    stop("'x' must be a numeric matrix (genes in rows), an ExpressionSet or a SummarizedExperiment",
         call. = FALSE)
  }
  if (nrow(x) >= 2^31 || ncol(x) >= 2^31 || as.double(nrow(x)) * ncol(x) >= 2^31) {
    stop("'x' is too large: at most 2147483647 values are supported", call. = FALSE)
  }
  storage.mode(x) <- "double"
  list(values = x, samples = samples)
}

# The position of the assay `assay` (a name or a number; NULL: the first) among `count` assays.
chosen_assay <- function(assay, names, count) {
  if (count == 0L) stop("'x' holds no assay", call. = FALSE)
  if (is.null(assay)) return(1L)
  if (is.character(assay) && length(assay) == 1L && !is.na(assay) && assay %in% names) {
    return(match(assay, names))
  }
  if (is.numeric(assay) && length(assay) == 1L && !is.na(assay) && assay == floor(assay) &&
      assay >= 1 && assay <= count) {
    return(as.integer(assay))
  }
  stop(sprintf("'x' has no assay %s; its assays are %s", format(assay),
               if (length(names) > 0L) paste0("'", names, "'", collapse = ", ") else paste("1 to", count)),
       call. = FALSE)
}

# The row names become the gene names in the result files, where a name is one run of
# characters without white space, and each must name one gene.
check_gene_names <- function(names) {
  if (is.null(names)) stop("'x' must have row names: they name the genes", call. = FALSE)
  bad <- which(is.na(names) | !nzchar(names) | grepl("[ \t\n\r\v\f]", names))
  if (length(bad) > 0L) {
    stop(sprintf(paste("row %d of 'x' is named %s; gene names must be non-empty and hold no white",
                       "space, since the result files separate names by it"),
                 bad[1L], encodeString(names[bad[1L]], quote = "'")), call. = FALSE)
  }
  repeated <- which(duplicated(names))
  if (length(repeated) > 0L) {
    name <- names[repeated[1L]]
    stop(sprintf(paste("rows %d and %d of 'x' are both named '%s'; the result files name genes, so each",
                       "name must be unique (e.g. rownames(x) <- make.unique(rownames(x)))"),
                 match(name, names), repeated[1L], name), call. = FALSE)
  }
}

# NA, NaN and infinities, named by gene and column: the search takes 0 as a missing value, and an
# infinity has no correlation.
check_values <- function(x) {
  if (all(is.finite(x))) return(invisible())
  where <- which(!is.finite(x), arr.ind = TRUE)[1L, ]
  value <- x[where[1L], where[2L]]
  column <- if (is.null(colnames(x))) where[2L] else sprintf("%d, '%s'", where[2L], colnames(x)[where[2L]])
  if (is.na(value)) {
    stop(sprintf(paste("'x' holds NA or NaN (gene '%s', column %s); the search takes 0 as a missing",
                       "value, so replace them first, e.g. x[is.na(x)] <- 0"),
                 rownames(x)[where[1L]], column), call. = FALSE)
  }
  stop(sprintf("'x' holds %s (gene '%s', column %s); every value must be a finite number",
               format(value), rownames(x)[where[1L]], column), call. = FALSE)
}

# A bicluster needs 2 genes and 3 samples; a smaller matrix is searched, but the user is told.
warn_if_too_small <- function(x) {
  if (nrow(x) < 2L || ncol(x) < 3L) {
    warning(sprintf(paste("'x' has %d %s and %d %s: a bicluster needs at least 2 genes and 3 samples,",
                          "so none can be found"),
                    nrow(x), if (nrow(x) == 1L) "gene" else "genes", ncol(x),
                    if (ncol(x) == 1L) "sample" else "samples"), call. = FALSE)
  }
}

# A count as the engine takes it: a whole number from `lowest` on, Inf standing for no limit.
whole_count <- function(value, what, lowest, infinite) {
  ok <- is.numeric(value) && length(value) == 1L && !is.na(value) && value >= lowest &&
    ((infinite && is.infinite(value)) || (is.finite(value) && value == floor(value)))
  if (!ok) {
    stop(sprintf("'%s' must be a whole number of at least %d%s", what, lowest,
                 if (infinite) " or Inf" else ""), call. = FALSE)
  }
  as.integer(min(value, .Machine$integer.max))
}
