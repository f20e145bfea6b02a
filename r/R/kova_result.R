# The result of a search: the biclusters in the order found, and biclust's membership matrices.

new_kova_result <- function(rows, columns, gene_names, sample_names, n_samples, parameters) {
  rows <- lapply(rows, as.integer)
  columns <- lapply(columns, as.integer)
  number <- length(rows)
  sample_ids <- function(cols) if (is.null(sample_names)) cols else sample_names[cols]
  biclusters <- Map(function(r, cols) {
    list(genes = gene_names[r], rows = r, samples = sample_ids(cols), columns = cols)
  }, rows, columns)
  row_x_number <- matrix(FALSE, nrow = length(gene_names), ncol = number,
                         dimnames = list(gene_names, sprintf("BC%d", seq_len(number))))
  number_x_col <- matrix(FALSE, nrow = number, ncol = n_samples,
                         dimnames = list(sprintf("BC%d", seq_len(number)), sample_names))
  for (k in seq_len(number)) {
    row_x_number[rows[[k]], k] <- TRUE
    number_x_col[k, columns[[k]]] <- TRUE
  }
  structure(list(biclusters = biclusters, RowxNumber = row_x_number, NumberxCol = number_x_col,
                 Number = number, gene_names = gene_names, sample_names = sample_names,
                 parameters = parameters),
            class = "kova_result")
}

length.kova_result <- function(x) x$Number

`[[.kova_result` <- function(x, i) {
  if (is.character(i)) return(.subset2(x, i))
  if (!is.numeric(i) || length(i) != 1L || is.na(i) || i < 1 || i > x$Number) {
    stop(sprintf("there is no bicluster %s: the result holds %d", format(i), x$Number), call. = FALSE)
  }
  .subset2(x, "biclusters")[[i]]
}

print.kova_result <- function(x, ...) {
  cat(sprintf("kova_result: %d %s in %d genes x %d samples\n", x$Number,
              if (x$Number == 1L) "bicluster" else "biclusters", nrow(x$RowxNumber), ncol(x$NumberxCol)))
  shown <- seq_len(min(x$Number, 5L))
  for (k in shown) {
    b <- x[[k]]
    cat(sprintf("  %d: %d genes x %d samples  %s\n", k, length(b$rows), length(b$columns),
                abbreviated(b$genes)))
  }
  if (x$Number > length(shown)) cat(sprintf("  ... and %d more\n", x$Number - length(shown)))
  invisible(x)
}

abbreviated <- function(names, shown = 4L) {
  text <- paste(utils::head(names, shown), collapse = " ")
  if (length(names) > shown) paste(text, "...") else text
}

summary.kova_result <- function(object, ...) {
  genes <- vapply(object$biclusters, function(b) length(b$rows), integer(1))
  samples <- vapply(object$biclusters, function(b) length(b$columns), integer(1))
  table <- data.frame(genes = genes, samples = samples, size = genes * samples,
                      row.names = sprintf("BC%d", seq_along(genes)))
  structure(list(table = table, Number = object$Number,
                 genes_in_biclusters = sum(rowSums(object$RowxNumber) > 0),
                 total_genes = nrow(object$RowxNumber), parameters = object$parameters),
            class = "summary.kova_result")
}

print.summary.kova_result <- function(x, ...) {
  cat(sprintf("%d %s; %d of %d genes in a bicluster\n", x$Number,
              if (x$Number == 1L) "bicluster" else "biclusters", x$genes_in_biclusters, x$total_genes))
  if (x$Number > 0L) print(x$table)
  invisible(x)
}
