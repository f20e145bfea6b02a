# Sample classes: the hypergeometric test of every class a bicluster's samples hold, in the engine,
# as kova2's --sample-classes computes it.

kova_sample_classes <- function(result, classes) {
  run <- known_matrix_run(result, "kova_sample_classes")
  if (missing(classes)) {
    classes <- run$sample_data
    if (is.null(classes)) {
      stop(paste("give 'classes': the result keeps no sample annotation (only one found in an ExpressionSet or",
                 "a SummarizedExperiment does)"), call. = FALSE)
    }
  }
  columns <- class_columns(classes, run)
  found <- .kova_sample_classes(columns, bicluster_rows(result), bicluster_columns(result))
  data.frame(bicluster = bicluster_numbers(result)[found$bicluster], column = names(columns)[found$column],
             class = found$class, in_bicluster = found$in_bicluster, bicluster_samples = found$bicluster_samples,
             in_matrix = found$in_matrix, samples = found$samples, p_value = found$p_value, q_value = found$q_value,
             stringsAsFactors = FALSE)
}

# The class columns, titled, one label per sample in the matrix's order ("" where unannotated),
# from an annotation file (as kovaview's --samples reads it, or a .meta file), a data frame such as
# pData or colData (every column is tested; rows named by the samples are put in their order), a
# named list of columns, or one vector or factor.
class_columns <- function(classes, run) {
  samples <- run$n_samples
  if (is_file_name(classes)) return(.kova_read_sample_classes(path.expand(classes), samples))
  if (is.data.frame(classes)) {
    classes <- in_sample_order(classes, rownames(classes), run$sample_names)
    columns <- as.list(classes)
  } else if (is.list(classes)) {
    columns <- classes
  } else if (is.atomic(classes) || is.factor(classes)) {
    columns <- list(in_sample_order(classes, names(classes), run$sample_names))
  } else {
    stop("'classes' must be an annotation file's name, a data frame, a list of columns, or a vector",
         call. = FALSE)
  }
  if (length(columns) == 0L) stop("'classes' holds no class column", call. = FALSE)
  titles <- names(columns)
  if (is.null(titles)) titles <- rep("", length(columns))
  titles[is.na(titles) | !nzchar(titles)] <- sprintf("class %d", which(is.na(titles) | !nzchar(titles)))
  columns <- lapply(seq_along(columns), function(c) {
    labels <- columns[[c]]
    if (!is.atomic(labels) && !is.factor(labels)) {
      stop(sprintf("class column '%s' must be a vector or a factor", titles[c]), call. = FALSE)
    }
    if (length(labels) != samples) {
      stop(sprintf("class column '%s' holds %d labels for the result's %d samples", titles[c], length(labels),
                   samples), call. = FALSE)
    }
    labels <- as.character(labels)
    labels[is.na(labels)] <- ""
    labels
  })
  stats::setNames(columns, titles)
}

# Rows (or elements) named by the result's samples are taken in the result's order.
in_sample_order <- function(classes, labels, sample_names) {
  if (is.null(sample_names) || is.null(labels) || !all(sample_names %in% labels)) return(classes)
  at <- match(sample_names, labels)
  if (is.data.frame(classes)) classes[at, , drop = FALSE] else classes[at]
}
