# One bicluster of a result: its number, its genes by name and row, its samples by column, and
# its plain r. Its samples by name ($samples) come from the names the whole run shares, kept once
# in an environment rather than again in every bicluster: on ALL.txt, 12613 biclusters of about 60
# samples each.

new_sample_names <- function(names) {
  shared <- new.env(parent = emptyenv())
  shared$names <- names
  shared
}

new_kova_bicluster <- function(number, genes, rows, columns, plain_r, sample_names) {
  structure(list(number = number, genes = genes, rows = rows, columns = columns,
                 plain_r = c(smallest = plain_r[[1L]], median = plain_r[[2L]], largest = plain_r[[3L]])),
            class = "kova_bicluster", sample_names = sample_names)
}

# The samples by name, or by number where the matrix has no column names.
bicluster_samples <- function(b) {
  names <- attr(b, "sample_names")$names
  columns <- .subset2(b, "columns")
  if (is.null(names)) columns else names[columns]
}

`$.kova_bicluster` <- function(x, name) if (identical(name, "samples")) bicluster_samples(x) else .subset2(x, name)

`[[.kova_bicluster` <- function(x, i, ...) {
  if (identical(i, "samples")) bicluster_samples(x) else .subset2(x, i)
}

print.kova_bicluster <- function(x, ...) {
  cat(sprintf("bicluster %d: %d genes x %d samples\n", x$number, length(x$genes), length(x$columns)))
  cat("genes:  ", abbreviated(x$genes, 10L), "\n")
  cat("samples:", abbreviated(x$samples, 10L), "\n")
  cat(sprintf("plain r: smallest %.4g, median %.4g, largest %.4g\n", x$plain_r[1L], x$plain_r[2L], x$plain_r[3L]))
  invisible(x)
}
