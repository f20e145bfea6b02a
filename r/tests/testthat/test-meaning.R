# What a bicluster means, against kova2's batch tables on golub_500 at 0.9 (483 biclusters).

golub <- local({
  made <- NULL
  function() {
    if (is.null(made)) {
      file <- data_file("golub_500.txt")
      x <- read_matrix(file)
      made <<- list(file = file, x = x, result = kova_biclusters(x, 0.9, max = 1000, progress = FALSE))
    }
    made
  }
})

# Sets of the matrix's own names: one holding bicluster 52's four genes among others, and random
# ones; symbols "S<row>" for the gene-name file.
test_sets <- function(x, result) {
  set.seed(24)
  names <- rownames(x)
  planted <- c(result[[52]]$genes, sample(names, 6))
  sets <- c(list(planted = planted), stats::setNames(lapply(1:30, function(s) sample(names, 25)),
                                                     sprintf("random_%d", 1:30)))
  gmt <- tempfile(fileext = ".gmt")
  writeLines(sprintf("%s\tsome description\t%s", names(sets), vapply(sets, paste, "", collapse = "\t")), gmt)
  symbols <- stats::setNames(sprintf("S%d", seq_along(names)), names)
  symbol_sets <- lapply(sets, function(genes) unname(symbols[genes]))
  symbol_gmt <- tempfile(fileext = ".gmt")
  writeLines(sprintf("%s\t\t%s", names(sets), vapply(symbol_sets, paste, "", collapse = "\t")), symbol_gmt)
  names_file <- tempfile(fileext = ".txt")
  writeLines(sprintf("%s\t%s\tgene %d", names, symbols, seq_along(names)), names_file)
  list(sets = sets, gmt = gmt, symbols = symbols, symbol_sets = symbol_sets, symbol_gmt = symbol_gmt,
       names_file = names_file)
}

# kova2's enrichment file lists per bicluster its best set and every other with q <= 0.05.
as_listed <- function(enriched) {
  first <- !duplicated(enriched$bicluster)
  enriched[first | enriched$q_value <= 0.05, c("bicluster", "set", "overlap", "set_size", "bicluster_genes",
                                               "universe", "p_value", "q_value", "genes", "symbols")]
}

test_that("significance gives kova2's p-values and expected counts, with 1 and 2 threads, from matrix or file", {
  g <- golub()
  output <- run_kova2_batch(g$file, 0.9, 1000, "--significance", "25", "--seed", "7")
  one <- kova_significance(g$result, g$x, n = 25, seed = 7, threads = 1, progress = FALSE)
  expect_same_table(one, paste0(output, ".significance.tsv"), c("p_value", "expected"))
  expect_identical(rownames(one), names(g$result))
  two <- kova_significance(g$result, g$x, n = 25, seed = 7, threads = 2, progress = FALSE)
  expect_identical(two, one)
  # Some biclusters are beyond what 25 null runs make (1/26), most pairs are not.
  expect_equal(min(one$p_value), 1 / 26)
  expect_gt(mean(one$p_value == 1), 0.5)
  other_seed <- kova_significance(g$result, g$x, n = 25, seed = 8, progress = FALSE)
  expect_false(identical(other_seed$expected, one$expected))
  # A result read back from kova2's file with the matrix file: the numbers given, the file as x.
  read <- kova_read_result(output, g$file)
  from_file <- kova_significance(read, g$file, n = 25, seed = 7, threshold = 0.9, max = 1000, progress = FALSE)
  expect_identical(from_file$p_value, one$p_value)
  # A subset keeps its numbers and p-values.
  some <- kova_significance(g$result[c(2, 52)], g$x, n = 25, seed = 7, progress = FALSE)
  expect_identical(some$bicluster, c(2L, 52L))
  expect_identical(some$p_value, one$p_value[c(2, 52)])
})

test_that("significance refuses another matrix, n < 1, a bad seed and a result without its numbers", {
  g <- golub()
  expect_error(kova_significance(g$result, g$x[-1, ], n = 20), "'x' is not the matrix of this result: it has 499")
  scaled <- g$x
  scaled[3, 5] <- scaled[3, 5] + 1e-9
  expect_error(kova_significance(g$result, scaled, n = 20), "other values")
  expect_error(kova_significance(g$result, g$x, n = 0), "'n' must be a whole number of at least 1")
  expect_error(kova_significance(g$result, g$x, n = 20, seed = -1), "'seed' must be a whole number")
  expect_error(kova_significance(g$result, g$x, n = 2.5), "'n' must be a whole number")
  output <- tempfile()
  kova_write_result(g$result, output, tempfile())
  expect_error(kova_significance(kova_read_result(output, g$x), g$x, n = 20), "give threshold =")
  expect_error(kova_significance(kova_read_result(output), g$x, n = 20), "read it with kova_read_result")
})

test_that("enrichment gives kova2's rows, from a GMT file or a named list, with gene names from a file or a vector", {
  g <- golub()
  s <- test_sets(g$x, g$result)
  numbers <- c("p_value", "q_value")
  output <- run_kova2_batch(g$file, 0.9, 1000, "--gene-sets", s$gmt)
  from_file <- kova_enrichment(g$result, s$gmt)
  expect_same_table(as_listed(from_file), paste0(output, ".enrichment.tsv"), numbers)
  expect_identical(unique(from_file$description), "some description")
  from_list <- kova_enrichment(g$result, s$sets)
  expect_identical(from_list[names(from_list) != "description"], from_file[names(from_file) != "description"])
  # The planted set is bicluster 52's best, q <= 0.01; every p is the hypergeometric tail R computes.
  best <- from_file[from_file$bicluster == 52L, ][1L, ]
  expect_identical(best$set, "planted")
  expect_lte(best$q_value, 0.01)
  expect_equal(from_file$p_value, stats::phyper(from_file$overlap - 1, from_file$set_size,
                                                from_file$universe - from_file$set_size, from_file$bicluster_genes,
                                                lower.tail = FALSE), tolerance = 1e-12)
  # Sets by symbol, the matrix's names mapped to them.
  output <- run_kova2_batch(g$file, 0.9, 1000, "--gene-sets", s$symbol_gmt, "--gene-names", s$names_file)
  mapped <- kova_enrichment(g$result, s$symbol_gmt, names = s$names_file)
  expect_same_table(as_listed(mapped), paste0(output, ".enrichment.tsv"), numbers)
  expect_identical(kova_enrichment(g$result, s$symbol_sets, names = s$symbols)[names(mapped) != "description"],
                   mapped[names(mapped) != "description"])
  expect_identical(mapped$p_value, from_file$p_value)
})

test_that("enrichment refuses a malformed GMT with its file and line, and sets or names that map nothing", {
  g <- golub()
  gmt <- tempfile(fileext = ".gmt")
  writeLines(c(sprintf("good\t\t%s", rownames(g$x)[1]), "bad line without tabs"), gmt)
  expect_error(kova_enrichment(g$result, gmt), paste0(gmt, ": line 2: a gene set needs its name"), fixed = TRUE)
  writeLines(c(sprintf("twice\t\t%s", rownames(g$x)[1]), sprintf("twice\t\t%s", rownames(g$x)[2])), gmt)
  expect_error(kova_enrichment(g$result, gmt), "line 2: the gene set 'twice' is given again (first on line 1)",
               fixed = TRUE)
  expect_error(kova_enrichment(g$result, list(a = "nothing", b = "here")), "no name of the matrix is a gene of any set")
  expect_error(kova_enrichment(g$result, list(a = rownames(g$x)[1:3]), names = c(elsewhere = "A")),
               "the gene names map none of the matrix's names")
  expect_error(kova_enrichment(g$result, list(a = "x", a = "y")), "the gene set 'a' is given twice")
  expect_error(kova_enrichment(g$result, list(a = c(NA, ""))), "the gene set 'a' lists no gene")
  expect_error(kova_enrichment(g$result, list("x")), "must have a name")
})

test_that("sample classes give kova2's rows from the .meta file, a vector, a factor, a data frame or pData", {
  g <- golub()
  meta <- data_file("golub_500.meta")
  output <- run_kova2_batch(g$file, 0.9, 1000, "--sample-classes", meta)
  from_file <- kova_sample_classes(g$result, meta)
  expect_same_table(from_file, paste0(output, ".classes.tsv"), c("p_value", "q_value"))
  expect_setequal(from_file$class, c("ALL", "AML"))
  labels <- rep(c("ALL", "AML"), c(27, 11))
  from_vector <- kova_sample_classes(g$result, labels)
  expect_identical(unique(from_vector$column), "class 1")
  same <- function(a, b) expect_identical(a[names(a) != "column"], b[names(b) != "column"])
  same(from_vector, from_file)
  same(kova_sample_classes(g$result, factor(labels)), from_file)
  frame <- data.frame(golub.cl = labels, row.names = sprintf("s%02d", 1:38))
  same(kova_sample_classes(g$result, frame[38:1, , drop = FALSE]), kova_sample_classes(g$result, rev(labels)))
  # Every p is the hypergeometric tail R computes.
  expect_equal(from_file$p_value, stats::phyper(from_file$in_bicluster - 1, from_file$in_matrix,
                                                from_file$samples - from_file$in_matrix, from_file$bicluster_samples,
                                                lower.tail = FALSE), tolerance = 1e-12)
  # A matrix with sample names and its pData: rows put in the samples' order, NA unannotated.
  need_package("Biobase")
  named <- g$x
  colnames(named) <- sprintf("s%02d", 1:38)
  eset <- Biobase::ExpressionSet(named, phenoData = Biobase::AnnotatedDataFrame(frame))
  kept <- kova_biclusters(eset, 0.9, max = 1000, progress = FALSE)
  same(kova_sample_classes(kept), from_file)
  expect_identical(kova_sample_classes(kept, Biobase::pData(eset)[38:1, , drop = FALSE]), kova_sample_classes(kept))
  blank <- labels
  blank[1:5] <- NA
  partial <- kova_sample_classes(g$result, blank)
  expect_true(all(partial$samples == 33L))
})

test_that("a bicluster whose samples are all of one class of a balanced annotation gets that class, q <= 0.01", {
  set.seed(3)
  x <- matrix(rnorm(40 * 24), 40, 24, dimnames = list(sprintf("g%d", 1:40), NULL))
  # A seed pair's zeros are missing values: the pair follows one another over the first twelve alone.
  x[1:3, ] <- cbind(outer(c(1, 2, 3), sin(1:12)) + rnorm(36, sd = 0.01), matrix(0, 3, 12))
  result <- kova_biclusters(x, 0.99, max = 1, progress = FALSE)
  expect_identical(result[[1]]$columns, 1:12)
  classes <- kova_sample_classes(result, rep(c("A", "B"), each = 12))
  expect_identical(classes$class[1], "A")
  expect_lte(classes$q_value[1], 0.01)
  expect_error(kova_sample_classes(result), "give 'classes'")
  expect_error(kova_sample_classes(result, c("A", "B")), "class column 'class 1' holds 2 labels for the result's 24")
})
