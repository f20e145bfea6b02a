# The result files kova2 writes: the output file and the report. Both formats are the engine's
# own; writing goes through the engine's writer, reading is checked against files it wrote.

kova_write_result <- function(result, output_file, report_file) {
  if (!inherits(result, "kova_result")) stop("'result' must be a kova_result", call. = FALSE)
  run <- attr(result, "kova")
  if (is.null(run$gene_names)) {
    stop("'result' was read without its matrix; read it with kova_read_result(output_file, matrix) to write it",
         call. = FALSE)
  }
  output_file <- path.expand(output_file)
  report_file <- path.expand(report_file)
  if (normalizePath(output_file, mustWork = FALSE) == normalizePath(report_file, mustWork = FALSE)) {
    stop("the output file and the report file must be two different files", call. = FALSE)
  }
  biclusters <- unclass(result)
  .kova_write(run$gene_names, run$n_samples, lapply(biclusters, `[[`, "rows"), lapply(biclusters, `[[`, "columns"),
              output_file, report_file)
  invisible(result)
}

# `matrix`: the matrix file the run read (loaded by the engine's own loader), or the matrix itself
# as kova_biclusters takes it, whose sample names and annotation the result then keeps; without
# it, the genes by name and the samples by number, as the file gives them.
kova_read_result <- function(output_file, matrix = NULL, assay = NULL) {
  biclusters <- read_output_file(output_file)
  if (is.null(matrix)) {
    unknown_r <- base::matrix(NA_real_, nrow = length(biclusters$genes), ncol = 3L)
    rows <- lapply(biclusters$genes, function(genes) rep(NA_integer_, length(genes)))
    return(new_kova_result(rows, biclusters$columns, NULL, NULL, NA_integer_, plain_r = unknown_r,
                           sample_data = NULL, parameters = list(output_file = output_file),
                           genes = biclusters$genes))
  }
  if (is.character(matrix) && length(matrix) == 1L) {
    read <- .kova_read_matrix(path.expand(matrix))
    input <- list(values = read$values, samples = NULL)
    gene_names <- read$names
    parameters <- list(output_file = output_file, matrix_file = matrix)
  } else {
    input <- expression_input(matrix, assay)
    gene_names <- rownames(input$values)
    if (is.null(gene_names)) stop("'matrix' must have row names: they name the genes", call. = FALSE)
    parameters <- list(output_file = output_file)
  }
  values <- input$values
  taken <- logical(length(gene_names))
  rows <- vector("list", length(biclusters$genes))
  for (k in seq_along(rows)) {
    if (any(biclusters$columns[[k]] > ncol(values))) {
      stop(sprintf("'%s': bicluster %d names sample %d, but the matrix has %d samples", output_file, k,
                   max(biclusters$columns[[k]]), ncol(values)), call. = FALSE)
    }
    rows[[k]] <- gene_rows(biclusters$genes[[k]], gene_names, taken, output_file, k)
    taken[rows[[k]][-1L]] <- TRUE
  }
  repeated <- intersect(gene_names[unlist(rows)], gene_names[duplicated(gene_names)])
  if (length(repeated) > 0L) {
    warning(sprintf(paste("the matrix names several genes '%s'; each is taken as the first row of its name that",
                          "has not joined an earlier bicluster"), repeated[1L]), call. = FALSE)
  }
  new_kova_result(rows, biclusters$columns, gene_names, colnames(values), ncol(values),
                  plain_r = .kova_plain_r(values, rows, biclusters$columns), sample_data = input$samples,
                  parameters = parameters, fingerprint = .kova_fingerprint(values))
}

# The genes by name and the samples by number of every bicluster of an output file, three lines a
# bicluster: the sizes, the samples ("sample2, sample5, "), the genes.
read_output_file <- function(output_file) {
  lines <- readLines(output_file, warn = FALSE)
  if (length(lines) %% 3L != 0L) {
    stop(sprintf("'%s' is no complete output file: it holds %d lines, not three per bicluster",
                 output_file, length(lines)), call. = FALSE)
  }
  starts <- seq_len(length(lines) %/% 3L) * 3L - 2L
  genes <- vector("list", length(starts))
  columns <- vector("list", length(starts))
  for (k in seq_along(starts)) {
    line <- starts[k]
    sizes <- suppressWarnings(as.integer(strsplit(lines[line], "\t", fixed = TRUE)[[1L]]))
    cols <- suppressWarnings(as.integer(sub("^sample", "", strsplit(lines[line + 1L], ", ", fixed = TRUE)[[1L]])))
    names <- strsplit(lines[line + 2L], "\t", fixed = TRUE)[[1L]]
    if (length(sizes) != 2L || anyNA(sizes) || anyNA(cols) || length(cols) != sizes[2L] ||
        length(names) != sizes[1L] || any(cols < 1L)) {
      stop(sprintf("'%s', line %d: bicluster %d does not match its own sizes", output_file, line, k), call. = FALSE)
    }
    genes[[k]] <- names
    columns[[k]] <- cols
  }
  list(genes = genes, columns = columns)
}

# Names need not be unique in a matrix file. A gene that joined a bicluster other than as its first
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
