# The result files kova2 writes: the output file and the report. Both formats are the engine's
# own; writing goes through the engine's writer, reading is checked against files it wrote.

kova_write_result <- function(result, output_file, report_file) {
  if (!inherits(result, "kova_result")) stop("'result' must be a kova_result", call. = FALSE)
  output_file <- path.expand(output_file)
  report_file <- path.expand(report_file)
  if (normalizePath(output_file, mustWork = FALSE) == normalizePath(report_file, mustWork = FALSE)) {
    stop("the output file and the report file must be two different files", call. = FALSE)
  }
  .kova_write(result$gene_names, ncol(result$NumberxCol), lapply(result$biclusters, `[[`, "rows"),
              lapply(result$biclusters, `[[`, "columns"), output_file, report_file)
  invisible(result)
}

kova_read_result <- function(output_file, matrix_file) {
  matrix <- .kova_read_matrix(path.expand(matrix_file))
  lines <- readLines(output_file, warn = FALSE)
  if (length(lines) %% 3L != 0L) {
    stop(sprintf("'%s' is no complete output file: it holds %d lines, not three per bicluster",
                 output_file, length(lines)), call. = FALSE)
  }
  starts <- seq(1L, length(lines), by = 3L)
  taken <- logical(length(matrix$names))
  rows <- vector("list", length(starts))
  columns <- vector("list", length(starts))
  for (k in seq_along(starts)) {
    line <- starts[k]
    sizes <- suppressWarnings(as.integer(strsplit(lines[line], "\t", fixed = TRUE)[[1L]]))
    cols <- suppressWarnings(as.integer(sub("^sample", "", strsplit(lines[line + 1L], ", ", fixed = TRUE)[[1L]])))
    genes <- strsplit(lines[line + 2L], "\t", fixed = TRUE)[[1L]]
    if (length(sizes) != 2L || anyNA(sizes) || anyNA(cols) || length(cols) != sizes[2L] ||
        length(genes) != sizes[1L] || any(cols < 1L | cols > ncol(matrix$values))) {
      stop(sprintf("'%s', line %d: bicluster %d does not match its own sizes or the matrix", output_file,
                   line, k), call. = FALSE)
    }
    rows[[k]] <- gene_rows(genes, matrix$names, taken, output_file, k)
    taken[rows[[k]][-1L]] <- TRUE
    columns[[k]] <- cols
  }
  repeated <- intersect(matrix$names[unlist(rows)], matrix$names[duplicated(matrix$names)])
  if (length(repeated) > 0L) {
    warning(sprintf(paste("'%s' names several genes '%s'; each is taken as the first row of its name that",
                          "has not joined an earlier bicluster"), matrix_file, repeated[1L]), call. = FALSE)
  }
  new_kova_result(rows, columns, matrix$names, NULL, ncol(matrix$values),
                  parameters = list(output_file = output_file, matrix_file = matrix_file))
}

# Names need not be unique in a matrix. A gene that joined a bicluster other than as its first
# member is never a member again, so a repeated name stands for the first row of that name not
# taken that way.
gene_rows <- function(genes, names, taken, output_file, k) {
  vapply(seq_along(genes), function(m) {
    candidates <- which(names == genes[m])
    free <- candidates[!taken[candidates]]
    if (length(free) == 0L) {
      stop(sprintf("'%s': gene '%s' of bicluster %d is not in the matrix", output_file, genes[m], k),
           call. = FALSE)
    }
    free[1L]
  }, integer(1))
}
