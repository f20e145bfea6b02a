# The result of a search: a list of its biclusters in the order found, named BC1, BC2, ..., so that
# length, lapply, sapply, for, [[ and [ walk the biclusters. What the whole run shares (the matrix's
# gene and sample names, the sample annotation, the parameters) is one attribute, reached with $;
# biclust's membership matrices are made from the biclusters when asked for, as sparse matrices.

# `fingerprint`: the digest of the matrix's values (.kova_fingerprint), by which kova_significance
# knows the result's own matrix.
new_kova_result <- function(rows, columns, gene_names, sample_names, n_samples, plain_r, sample_data,
                            parameters, genes = NULL, fingerprint = NULL) {
  rows <- lapply(rows, as.integer)
  columns <- lapply(columns, as.integer)
  samples <- new_sample_names(sample_names)
  biclusters <- lapply(seq_along(rows), function(k) {
    new_kova_bicluster(k, if (is.null(genes)) gene_names[rows[[k]]] else genes[[k]], rows[[k]], columns[[k]],
                       plain_r[k, ], samples)
  })
  names(biclusters) <- sprintf("BC%d", seq_along(rows))
  structure(biclusters, class = "kova_result",
            kova = list(gene_names = gene_names, sample_names = sample_names, n_samples = n_samples,
                        sample_data = sample_data, parameters = parameters, fingerprint = fingerprint))
}

run_fields <- c("Number", "parameters", "gene_names", "sample_names", "sample_data", "RowxNumber",
                "NumberxCol")

`$.kova_result` <- function(x, name) {
  run <- attr(x, "kova")
  switch(name,
         Number = length(x),
         RowxNumber = membership(x, by_gene = TRUE),
         NumberxCol = membership(x, by_gene = FALSE),
         parameters = , gene_names = , sample_names = , sample_data = run[[name]],
         stop(sprintf("a kova_result has no field '%s'; its fields are %s, and r[[k]] is bicluster k",
                      name, paste(run_fields, collapse = ", ")), call. = FALSE))
}

# Genes x biclusters (by_gene) or biclusters x samples, as sparse logical matrices: on ALL.txt the
# dense ones would take over 500 MB.
membership <- function(x, by_gene) {
  run <- attr(x, "kova")
  if (is.null(run$gene_names)) {
    stop(paste("this result was read without its matrix, so the rows of its genes and the number of samples",
               "are unknown: read it with kova_read_result(output_file, matrix)"), call. = FALSE)
  }
  part <- if (by_gene) "rows" else "columns"
  members <- lapply(unclass(x), `[[`, part)
  number <- rep(seq_along(members), lengths(members))
  if (by_gene) {
    Matrix::sparseMatrix(i = unlist(members), j = number, x = TRUE,
                         dims = c(length(run$gene_names), length(x)), dimnames = list(run$gene_names, names(x)))
  } else {
    Matrix::sparseMatrix(i = number, j = unlist(members), x = TRUE, dims = c(length(x), run$n_samples),
                         dimnames = list(names(x), run$sample_names))
  }
}

`[[.kova_result` <- function(x, i, ...) unclass(x)[[bicluster_position(x, i)]]

# One bicluster, by its place or its name; anything else is refused rather than guessed at.
bicluster_position <- function(x, i) {
  n <- length(x)
  if (length(i) != 1L) {
    stop(sprintf("a bicluster is chosen by one number or one name, not by %d values", length(i)), call. = FALSE)
  }
  hint <- if (n == 0L) "the result holds none" else
    sprintf("the result holds %d (give a whole number from 1 to %d, or a name such as '%s')", n, n, names(x)[1L])
  if (is.character(i)) {
    k <- match(i, names(x))
    if (is.na(k)) stop(sprintf("there is no bicluster named '%s': %s", i, hint), call. = FALSE)
    return(k)
  }
  if (!is.numeric(i) || is.na(i) || i != floor(i) || i < 1 || i > n) {
    stop(sprintf("there is no bicluster %s: %s", format(i), hint), call. = FALSE)
  }
  as.integer(i)
}

# Any list index (numbers, negative numbers, names, logicals); one that names no bicluster is
# refused, and the biclusters keep their names and numbers.
`[.kova_result` <- function(x, i) {
  if (missing(i)) return(x)
  places <- stats::setNames(seq_along(x), names(x))
  chosen <- places[i]
  if (anyNA(chosen)) {
    stop(sprintf("the result holds %d biclusters, and the index names one that is not there", length(x)),
         call. = FALSE)
  }
  structure(unclass(x)[chosen], class = "kova_result", kova = attr(x, "kova"))
}

as.data.frame.kova_result <- function(x, row.names = NULL, optional = FALSE, ...) {
  biclusters <- unclass(x)
  genes <- vapply(biclusters, function(b) length(b$rows), integer(1))
  samples <- vapply(biclusters, function(b) length(b$columns), integer(1))
  plain_r <- function(part) vapply(biclusters, function(b) unname(b$plain_r[part]), double(1))
  data.frame(number = vapply(biclusters, function(b) b$number, integer(1)), genes = genes, samples = samples,
             size = genes * samples, smallest_r = plain_r("smallest"), median_r = plain_r("median"),
             largest_r = plain_r("largest"),
             gene_names = vapply(biclusters, function(b) paste(b$genes, collapse = " "), character(1)),
             sample_names = vapply(biclusters, function(b) paste(b$samples, collapse = ", "), character(1)),
             row.names = if (is.null(row.names)) names(x) else row.names, stringsAsFactors = FALSE)
}

print.kova_result <- function(x, ...) {
  run <- attr(x, "kova")
  cat(sprintf("kova_result: %d %s", length(x), if (length(x) == 1L) "bicluster" else "biclusters"))
  if (!is.null(run$gene_names)) cat(sprintf(" in %d genes x %d samples", length(run$gene_names), run$n_samples))
  cat("\n")
  shown <- seq_len(min(length(x), 5L))
  for (k in shown) {
    b <- x[[k]]
    cat(sprintf("  %s: %d genes x %d samples  %s\n", names(x)[k], length(b$rows), length(b$columns),
                abbreviated(b$genes)))
  }
  if (length(x) > length(shown)) cat(sprintf("  ... and %d more\n", length(x) - length(shown)))
  invisible(x)
}

abbreviated <- function(names, shown = 4L) {
  text <- paste(utils::head(names, shown), collapse = " ")
  if (length(names) > shown) paste(text, "...") else text
}

summary.kova_result <- function(object, ...) {
  run <- attr(object, "kova")
  table <- as.data.frame(object)
  table$gene_names <- NULL
  table$sample_names <- NULL
  # Read without its matrix, a result knows its genes by name alone.
  members <- if (is.null(run$gene_names)) "genes" else "rows"
  structure(list(table = table, Number = length(object),
                 genes_in_biclusters = length(unique(unlist(lapply(unclass(object), `[[`, members)))),
                 total_genes = length(run$gene_names), parameters = run$parameters),
            class = "summary.kova_result")
}

print.summary.kova_result <- function(x, rows = 10L, ...) {
  cat(sprintf("%d %s; %d", x$Number, if (x$Number == 1L) "bicluster" else "biclusters", x$genes_in_biclusters))
  if (x$total_genes > 0L) cat(sprintf(" of %d", x$total_genes))
  cat(" genes in a bicluster\n")
  if (length(x$parameters) > 0L) {
    cat(paste0(names(x$parameters), " = ", vapply(x$parameters, format, character(1)), collapse = ", "), "\n")
  }
  if (x$Number > 0L) print(utils::head(x$table, rows))
  if (x$Number > rows) cat(sprintf("... and %d more (all in summary(r)$table)\n", x$Number - rows))
  invisible(x)
}
