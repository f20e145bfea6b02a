# What the three questions of what a bicluster means (docs/meaning.md) share: a result that knows
# its matrix, and its biclusters as rows and columns.

# The run-wide part of a result whose matrix is known; refused for one read without its matrix.
known_matrix_run <- function(result, what) {
  if (!inherits(result, "kova_result")) stop("'result' must be a kova_result", call. = FALSE)
  run <- attr(result, "kova")
  if (is.null(run$gene_names)) {
    stop(sprintf(paste("%s needs the result's matrix, and this result was read without it: read it with",
                       "kova_read_result(output_file, matrix)"), what), call. = FALSE)
  }
  run
}

bicluster_rows <- function(result) lapply(unclass(result), `[[`, "rows")
bicluster_columns <- function(result) lapply(unclass(result), `[[`, "columns")
bicluster_numbers <- function(result) vapply(unclass(result), `[[`, integer(1), "number", USE.NAMES = FALSE)

# One file's name: a single string (anything else is data, not a file).
is_file_name <- function(value) is.character(value) && length(value) == 1L && is.null(names(value))
