# Gene-set enrichment: the hypergeometric test of every bicluster's genes against every gene set,
# in the engine, as kova2's --gene-sets computes it.

kova_enrichment <- function(result, sets, names = NULL) {
  run <- known_matrix_run(result, "kova_enrichment")
  sets <- gene_sets(sets)
  symbols <- gene_symbols(names)
  found <- .kova_enrichment(run$gene_names, symbols, sets$genes, bicluster_rows(result), bicluster_columns(result))
  genes <- lapply(found$rows, function(rows) run$gene_names[rows])
  symbol_of <- if (is.null(symbols)) identity else function(genes) unname(symbols[genes])
  data.frame(bicluster = bicluster_numbers(result)[found$bicluster], set = sets$names[found$set],
             description = sets$descriptions[found$set], overlap = found$overlap, set_size = found$set_size,
             bicluster_genes = found$bicluster_genes, universe = found$universe, p_value = found$p_value,
             q_value = found$q_value, genes = vapply(genes, paste, character(1), collapse = ","),
             symbols = vapply(genes, function(g) paste(symbol_of(g), collapse = ","), character(1)),
             stringsAsFactors = FALSE)
}

# A GMT file's sets (the engine reads it, refusing with the file, line and reason), or a named list
# of character vectors, checked as the engine checks a file: names present and unique, genes
# present, blanks and repeats dropped.
gene_sets <- function(sets) {
  if (is_file_name(sets)) return(.kova_read_gene_sets(path.expand(sets)))
  if (!is.list(sets) || is.data.frame(sets)) {
    stop("'sets' must be a GMT file's name or a named list of gene names per set", call. = FALSE)
  }
  set_names <- names(sets)
  if (length(sets) == 0L) stop("'sets' holds no gene set", call. = FALSE)
  if (is.null(set_names) || anyNA(set_names) || !all(nzchar(trimws(set_names)))) {
    stop("every gene set in 'sets' must have a name", call. = FALSE)
  }
  if (anyDuplicated(set_names)) {
    stop(sprintf("the gene set '%s' is given twice in 'sets'", set_names[anyDuplicated(set_names)]), call. = FALSE)
  }
  genes <- lapply(seq_along(sets), function(s) {
    members <- sets[[s]]
    if (!(is.character(members) || is.factor(members))) {
      stop(sprintf("the genes of set '%s' must be names (a character vector)", set_names[s]), call. = FALSE)
    }
    members <- as.character(members)
    members <- unique(members[!is.na(members) & nzchar(trimws(members))])
    if (length(members) == 0L) stop(sprintf("the gene set '%s' lists no gene", set_names[s]), call. = FALSE)
    members
  })
  list(names = set_names, descriptions = rep("", length(sets)), genes = genes)
}

# NULL, a gene-name file (matrix name, symbol, description), or a named character vector: the
# symbols, named by the matrix's names.
gene_symbols <- function(names) {
  if (is.null(names)) return(NULL)
  if (is_file_name(names)) return(.kova_read_gene_names(path.expand(names)))
  matrix_names <- base::names(names)
  if (!is.character(names) || is.null(matrix_names) || anyNA(matrix_names)) {
    stop("'names' must be a gene-name file's name or a character vector of symbols named by the matrix's names",
         call. = FALSE)
  }
  if (anyDuplicated(matrix_names)) {
    stop(sprintf("'names' maps '%s' twice", matrix_names[anyDuplicated(matrix_names)]), call. = FALSE)
  }
  # A missing symbol maps into no set, as an empty one in a file does.
  names[is.na(names)] <- ""
  names
}
