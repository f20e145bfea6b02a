# Significance by permutation: the result's own search on n matrices whose genes' values are each
# permuted over the samples, run in the engine beside R (interruptible, with a progress bar).

kova_significance <- function(result, x, n = 100, seed = 1, threads = 0, assay = NULL, progress = interactive(),
                              threshold = NULL, max = NULL) {
  run <- known_matrix_run(result, "kova_significance")
  values <- same_matrix(run, x, assay)
  if (is.null(threshold)) {
    threshold <- run$parameters$threshold
    if (is.null(threshold)) {
      stop(paste("the result does not record its search's threshold (it was read from files): give threshold =",
                 "and max = as the search had them"), call. = FALSE)
    }
    if (is.null(max)) max <- run$parameters$max
  }
  if (!(is.numeric(threshold) || is.logical(threshold)) || length(threshold) != 1L) {
    stop("'threshold' must be one number", call. = FALSE)
  }
  limit <- whole_count(if (is.null(max)) Inf else max, "max", lowest = 1, infinite = TRUE)
  runs <- whole_count(n, "n", lowest = 1, infinite = FALSE)
  threads <- whole_count(threads, "threads", lowest = 0, infinite = FALSE)
  # Every whole number up to 2^53 is a double exactly, and so one 64-bit seed.
  if (!is.numeric(seed) || length(seed) != 1L || is.na(seed) || !is.finite(seed) || seed != floor(seed) ||
      seed < 0 || seed > 2^53) {
    stop("'seed' must be a whole number from 0 to 2^53", call. = FALSE)
  }
  if (!is.logical(progress) || length(progress) != 1L || is.na(progress)) {
    stop("'progress' must be TRUE or FALSE", call. = FALSE)
  }
  report <- NULL
  if (progress) {
    bar <- utils::txtProgressBar(min = 0, max = runs, style = 3)
    on.exit(close(bar))
    report <- function(done, runs) utils::setTxtProgressBar(bar, done)
  }
  rated <- .kova_significance(values$values, values$names, as.double(threshold), limit, threads,
                              bicluster_rows(result), bicluster_columns(result), runs, as.double(seed), report)
  if (progress) utils::setTxtProgressBar(bar, runs)
  data.frame(bicluster = bicluster_numbers(result), genes = lengths(bicluster_rows(result)),
             samples = lengths(bicluster_columns(result)), p_value = rated$p_value, expected = rated$expected,
             row.names = names(result))
}

# The values and gene names of `x` (a matrix file, or a matrix as kova_biclusters takes it), refused
# unless they are those of the result's matrix: the null runs must permute the very values searched.
same_matrix <- function(run, x, assay) {
  if (is_file_name(x)) {
    read <- .kova_read_matrix(path.expand(x))
    values <- read$values
    names <- read$names
  } else {
    values <- expression_input(x, assay)$values
    names <- rownames(values)
  }
  if (!identical(as.character(names), run$gene_names) || ncol(values) != run$n_samples) {
    stop(sprintf(paste("'x' is not the matrix of this result: it has %d genes x %d samples, the result's has",
                       "%d x %d, or other gene names"), nrow(values), ncol(values), length(run$gene_names),
                 run$n_samples), call. = FALSE)
  }
  if (!identical(.kova_fingerprint(values), run$fingerprint)) {
    stop(paste("'x' has the result's genes and samples but other values (another assay, other units, or",
               "values rounded on the way): give the very matrix the result was found in"), call. = FALSE)
  }
  list(values = values, names = names)
}
