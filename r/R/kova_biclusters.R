# The search on a matrix held in R.

kova_biclusters <- function(x, threshold, max = Inf, threads = 0) {
  x <- expression_matrix(x)
  check_gene_names(rownames(x))
  # Its range, NA and infinities are judged by the engine, in the words kova2 uses.
  if (!(is.numeric(threshold) || is.logical(threshold)) || length(threshold) != 1L) {
    stop("'threshold' must be one number", call. = FALSE)
  }
  max <- whole_count(max, "max", lowest = 1, infinite = TRUE)
  threads <- whole_count(threads, "threads", lowest = 0, infinite = FALSE)  # its ceiling: the engine's
  storage.mode(x) <- "double"
  if (anyNA(x)) {
    where <- which(is.na(x), arr.ind = TRUE)[1L, ]
    stop(sprintf(paste("'x' holds NA or NaN (gene '%s', column %d); the search takes 0 as a missing",
                       "value, so replace them first, e.g. x[is.na(x)] <- 0"),
                 rownames(x)[where[1L]], where[2L]), call. = FALSE)
  }
  found <- .kova_search(x, rownames(x), as.double(threshold), max, threads)
  new_kova_result(found$rows, found$columns, rownames(x), colnames(x), ncol(x),
                  parameters = list(threshold = threshold, max = max))
}

# A numeric matrix, genes in rows, from a matrix or an ExpressionSet.
expression_matrix <- function(x) {
  if (is(x, "ExpressionSet")) {
    if (!requireNamespace("Biobase", quietly = TRUE)) {
      stop("'x' is an ExpressionSet, but Biobase is not installed", call. = FALSE)
    }
    x <- Biobase::exprs(x)
  }
  if (is.data.frame(x)) x <- as.matrix(x)
  if (!is.matrix(x) || !(is.numeric(x) || is.logical(x))) {
    stop("'x' must be a numeric matrix (genes in rows) or an ExpressionSet", call. = FALSE)
  }
  if (nrow(x) >= 2^31 || ncol(x) >= 2^31 || as.double(nrow(x)) * ncol(x) >= 2^31) {
    stop("'x' is too large: at most 2147483647 values are supported", call. = FALSE)
  }
  x
}

# The row names become the gene names in the result files, where a name is one run of
# characters without white space.
check_gene_names <- function(names) {
  if (is.null(names)) stop("'x' must have row names: they name the genes", call. = FALSE)
  bad <- which(is.na(names) | !nzchar(names) | grepl("[ \t\n\r\v\f]", names))
  if (length(bad) > 0L) {
    stop(sprintf(paste("row %d of 'x' is named %s; gene names must be non-empty and hold no white",
                       "space, since the result files separate names by it"),
                 bad[1L], encodeString(names[bad[1L]], quote = "'")), call. = FALSE)
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
