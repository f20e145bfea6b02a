# The search on a matrix held in R.

kova_biclusters <- function(x, threshold, max = Inf, threads = 0, assay = NULL, progress = interactive()) {
  input <- expression_input(x, assay)
  x <- input$values
  check_gene_names(rownames(x))
  # Its range, NA and infinities are judged by the engine, in the words kova2 uses.
  if (!(is.numeric(threshold) || is.logical(threshold)) || length(threshold) != 1L) {
    stop("'threshold' must be one number", call. = FALSE)
  }
  limit <- whole_count(max, "max", lowest = 1, infinite = TRUE)
  threads <- whole_count(threads, "threads", lowest = 0, infinite = FALSE)  # its ceiling: the engine's
  if (!is.logical(progress) || length(progress) != 1L || is.na(progress)) {
    stop("'progress' must be TRUE or FALSE", call. = FALSE)
  }
  check_values(x)
  warn_if_too_small(x)
  report <- NULL
  if (progress) {
    # utils' text progress bar, drawn from R's own thread while the search runs beside it.
    bar <- utils::txtProgressBar(min = 0, max = 1, style = 3)
    on.exit(close(bar))
    report <- function(done, found) utils::setTxtProgressBar(bar, done)
  }
  found <- .kova_search(x, rownames(x), as.double(threshold), limit, threads, report)
  if (progress) utils::setTxtProgressBar(bar, 1)
  new_kova_result(found$rows, found$columns, rownames(x), colnames(x), ncol(x),
                  plain_r = .kova_plain_r(x, found$rows, found$columns), sample_data = input$samples,
                  parameters = list(threshold = threshold, max = max), fingerprint = .kova_fingerprint(x))
}
