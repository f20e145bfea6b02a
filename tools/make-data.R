# Writes KOVA's real expression matrices and their .meta files from Debian's Bioconductor data
# packages (r-bioc-all, r-bioc-multtest, r-bioc-bladderbatch, r-bioc-biobase).
#   Rscript tools/make-data.R OUTPUT_FOLDER
# Format: one gene a line, its name, then one value per sample, TAB-separated, 6 significant
# digits never in exponent notation, LF line ends, no header. tools/make-data.sh checks the bytes.
suppressPackageStartupMessages(library(Biobase))

out <- commandArgs(trailingOnly = TRUE)[1]
if (is.na(out) || !dir.exists(out)) stop("usage: Rscript tools/make-data.R OUTPUT_FOLDER (an existing folder)")

format_line <- "tab-separated text; column 1 = gene name, columns 2.. = one value per sample; no header line; LF line ends; values rounded to 6 significant digits, '.' decimal separator"

# %g with 6 digits, except that values %g would write with an exponent (|x| < 1e-4) are written
# in full, so that every reader, however plain, takes them.
six_digits <- function(x) {
  text <- sprintf("%.6g", x)
  exponent <- grepl("e", text, fixed = TRUE)
  text[exponent] <- vapply(x[exponent], function(v) format(signif(v, 6), scientific = FALSE), "")
  text
}

debian_version <- function(package) {
  system2("dpkg-query", c("-W", shQuote("-f=${Version}"), package), stdout = TRUE)
}

# What the source holds before anything is dropped, then the genes with a missing or infinite
# value dropped (none in these packages, but a new upstream version may bring some).
clean <- function(m) {
  bad <- rowSums(!is.finite(m)) > 0
  list(m = m[!bad, , drop = FALSE], na = sum(is.na(m)), inf = sum(is.infinite(m)), dropped = sum(bad))
}

# The n genes with the highest variance (n-1 denominator, unrounded values; ties go to the gene
# that comes first), kept in file order.
top_variance <- function(m, n) {
  v <- apply(m, 1, var)
  keep <- sort(order(-v, seq_along(v))[seq_len(n)])
  list(m = m[keep, , drop = FALSE], smallest = min(v[keep]))
}

write_matrix <- function(m, path) {
  values <- six_digits(m)
  dim(values) <- dim(m)
  lines <- paste(rownames(m), apply(values, 1, paste, collapse = "\t"), sep = "\t")
  con <- file(path, "wb")
  writeLines(lines, con, sep = "\n")
  close(con)
  invisible(values)
}

# source: the package facts and texts; cleaned: clean()'s result for the whole source matrix;
# m: the genes written; derived: NULL or list(from, n, smallest); samples: named lines.
write_set <- function(name, source, cleaned, m, derived, samples) {
  if (any(grepl("[[:space:]]", rownames(m))) || anyDuplicated(rownames(m))) {
    stop(name, ": gene names with blanks or duplicates; the matrix format needs one unique token per gene")
  }
  path <- file.path(out, paste0(name, ".txt"))
  values <- write_matrix(m, path)
  written <- as.numeric(values)
  size <- file.size(path)
  fields <- c(
    file = paste0(name, ".txt"),
    format = format_line,
    source_debian_package = paste(source$debian, debian_version(source$debian)),
    source_r_package = paste(source$r, as.character(packageVersion(source$r))),
    source_object = source$object,
    gene_names_from = source$names,
    description = source$description,
    genes_rows = nrow(m),
    samples_columns = ncol(m),
    value_min = six_digits(min(m)),
    value_max = six_digits(max(m)),
    any_value_exactly_0 = if (any(written == 0)) "yes" else "no",
    negative_values = sum(m < 0),
    values_in_exponent_notation = sum(grepl("e", values, fixed = TRUE)),
    "subnormal_values_below_2.2250738585072014e-308" = sum(m != 0 & abs(m) < .Machine$double.xmin),
    genes_all_zero = sum(rowSums(m != 0) == 0),
    genes_constant_across_samples = sum(apply(m, 1, function(g) all(g == g[1]))),
    gene_names_changed_by_whitespace_or_length_rule = 0,
    size_bytes = format(size, scientific = FALSE),
    over_40MB = sprintf("%s (%.1f MB)", if (size > 40e6) "yes" else "no", size / 1e6),
    missing_values_NA_in_source = cleaned$na,
    infinite_values_in_source = cleaned$inf,
    missing_value_handling = paste0("genes (rows) containing any NA/NaN/Inf are dropped; genes dropped: ", cleaned$dropped)
  )
  if (!is.null(derived)) {
    fields <- c(fields,
      derived_from = derived$from,
      selection = sprintf("the %d genes with the highest variance across samples (R var(), n-1 denominator, computed on the unrounded source values; ties broken by file order); rows kept in the order of %s", derived$n, derived$from),
      smallest_selected_variance = six_digits(derived$smallest))
  }
  fields <- c(fields, samples)
  con <- file(file.path(out, paste0(name, ".meta")), "wb")
  writeLines(paste0(names(fields), ": ", fields), con, sep = "\n")
  close(con)
}

column_order <- function(x) paste(as.character(x), collapse = " ")

write_with_top <- function(name, source, m, n, samples, full = TRUE) {
  cleaned <- clean(m)
  if (full) write_set(name, source, cleaned, cleaned$m, NULL, samples)
  top <- top_variance(cleaned$m, n)
  write_set(paste0(name, if (n == 1000) "_top1000" else paste0("_", n)), source, cleaned, top$m,
            list(from = paste0(name, ".txt"), n = n, smallest = top$smallest), samples)
}

# ALL: acute lymphoblastic leukemia.
data("ALL", package = "ALL")
write_with_top("ALL", list(
  debian = "r-bioc-all", r = "ALL",
  object = 'exprs(ALL) after data("ALL", package = "ALL")',
  names = "rownames(exprs(ALL)): Affymetrix probe set IDs (annotation hgu95av2)",
  description = "Acute lymphoblastic leukemia, 128 patients (Chiaretti et al., Blood 2004), Affymetrix HG-U95Av2, RMA-normalised (log2 scale)"),
  exprs(ALL), 1000, c(
    sample_ids_in_column_order = column_order(sampleNames(ALL)),
    sample_BT_in_column_order = column_order(ALL$BT),
    sample_mol.biol_in_column_order = column_order(ALL$mol.biol)))

# Golub's leukemia study; the matrix has no row names, the probe IDs are a separate table.
data("golub", package = "multtest")
golub_matrix <- golub
rownames(golub_matrix) <- golub.gnames[, 3]
write_with_top("golub", list(
  debian = "r-bioc-multtest", r = "multtest",
  object = 'golub after data("golub", package = "multtest")',
  names = "golub.gnames[, 3] (the 'Name' column: Affymetrix probe IDs of the Hu6800 chip); golub itself has no row names",
  description = "Leukemia study of Golub et al. (Science 1999), 3051 genes x 38 tumour samples, pre-processed as in Dudoit et al. (JASA 2002): thresholded, filtered, log10, standardised per array"),
  golub_matrix, 500, c(
    sample_ids_in_column_order = "none in the source (columns are samples 1..38 in source order)",
    sample_class_golub.cl_in_column_order = column_order(golub.cl),
    sample_class_coding = sprintf("0 = ALL (%d samples), 1 = AML (%d samples)", sum(golub.cl == 0), sum(golub.cl == 1))))

# Bladder cancer in five processing batches: only the highest-variance 1000 genes are kept.
data("bladderdata", package = "bladderbatch")
write_with_top("bladderbatch", list(
  debian = "r-bioc-bladderbatch", r = "bladderbatch",
  object = 'exprs(bladderEset) after data("bladderdata", package = "bladderbatch")',
  names = "rownames(exprs(bladderEset)): Affymetrix probe set IDs (annotation hgu133a)",
  description = "Bladder cancer study, 57 samples in 5 processing batches (Dyrskjot et al., Cancer Research 2004), Affymetrix HG-U133A, log2 scale"),
  exprs(bladderEset), 1000, c(
    sample_ids_in_column_order = column_order(sampleNames(bladderEset)),
    sample_outcome_in_column_order = column_order(bladderEset$outcome),
    sample_batch_in_column_order = column_order(bladderEset$batch)), full = FALSE)

# Biobase's small example set.
data("sample.ExpressionSet", package = "Biobase")
eset <- clean(exprs(sample.ExpressionSet))
write_set("sample_eset", list(
  debian = "r-bioc-biobase", r = "Biobase",
  object = 'exprs(sample.ExpressionSet) after data("sample.ExpressionSet", package = "Biobase")',
  names = "rownames(exprs(sample.ExpressionSet)): Affymetrix probe set IDs (annotation hgu95av2)",
  description = "Real but anonymised Affymetrix HG-U95Av2 data processed by dChip (per the package's help page), 500 genes x 26 samples A..Z; not log-scaled, contains negative values; Biobase's geneData holds the same matrix"),
  eset, eset$m, NULL, c(
    sample_ids_in_column_order = column_order(sampleNames(sample.ExpressionSet)),
    sample_type_in_column_order = column_order(sample.ExpressionSet$type),
    sample_annotation_note = "the package says its phenoData (sex/type/score) is made up"))
