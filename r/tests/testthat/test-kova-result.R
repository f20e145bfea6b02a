worked <- rbind(g1 = c(1, 2, 3, 4, 5), g2 = c(2, 4, 6, 8, 11), g3 = c(5, 1, 4, 2, 3),
                g4 = c(1, 3, 3, 4, 6), g5 = c(3, 1, 4, 1, 5))

test_that("the worked example's biclusters, in order, with biclust's membership matrices", {
  x <- worked
  colnames(x) <- paste0("s", 1:5)
  r <- kova_biclusters(x, 0.9, max = 10)
  expect_s3_class(r, "kova_result")
  expect_equal(length(r), 3L)
  expect_identical(r[[1]]$genes, c("g1", "g2", "g4"))
  expect_identical(r[[1]]$rows, c(1L, 2L, 4L))
  expect_identical(r[[2]]$samples, c("s2", "s4", "s5"))
  expect_identical(r[[3]]$columns, c(1L, 3L, 5L))
  expect_identical(dim(r$RowxNumber), c(5L, 3L))
  expect_identical(dim(r$NumberxCol), c(3L, 5L))
  expect_identical(unname(rowSums(r$RowxNumber)), c(3, 1, 1, 1, 1))
  expect_identical(unname(colSums(r$NumberxCol)), c(2, 2, 2, 2, 3))
  expect_identical(rownames(r$RowxNumber), rownames(x))
  expect_identical(colnames(r$NumberxCol), colnames(x))
  expect_true(is.logical(r$RowxNumber) && is.logical(r$NumberxCol))
})

test_that("max, threads and an ExpressionSet", {
  expect_equal(length(kova_biclusters(worked, 0.9, max = 1)), 1L)
  expect_identical(kova_biclusters(worked, 0.9, threads = 1)$biclusters,
                   kova_biclusters(worked, 0.9, threads = 3)$biclusters)
  # Samples without names are given by number.
  expect_identical(kova_biclusters(worked, 0.9)[[2]]$samples, c(2L, 4L, 5L))
  expect_equal(length(kova_biclusters(worked[, 1:2], 0.5)), 0L)
  skip_if_not_installed("Biobase")
  x <- worked
  colnames(x) <- paste0("patient", 1:5)
  set <- Biobase::ExpressionSet(assayData = x)
  expect_identical(kova_biclusters(set, 0.9)$biclusters, kova_biclusters(x, 0.9)$biclusters)
  expect_identical(kova_biclusters(set, 0.9)[[2]]$samples, c("patient2", "patient4", "patient5"))
})

test_that("print, summary and [[ say what the result holds", {
  r <- kova_biclusters(worked, 0.9)
  expect_output(print(r), "3 biclusters in 5 genes x 5 samples")
  expect_output(print(r), "1: 3 genes x 5 samples  g1 g2 g4")
  s <- summary(r)
  expect_identical(s$table$size, c(15L, 6L, 6L))
  expect_output(print(s), "3 biclusters; 5 of 5 genes in a bicluster")
  expect_error(r[[4]], "there is no bicluster 4: the result holds 3")
  expect_identical(r[["Number"]], 3L)
})

test_that("inputs the engine cannot take are refused with a clear message", {
  x <- worked
  x[2, 3] <- NA
  expect_error(kova_biclusters(x, 0.9), "'x' holds NA or NaN \\(gene 'g2', column 3\\)")
  expect_error(kova_biclusters(unname(worked), 0.9), "'x' must have row names")
  x <- worked
  rownames(x)[4] <- "gene four"
  expect_error(kova_biclusters(x, 0.9), "row 4 of 'x' is named 'gene four'")
  expect_error(kova_biclusters(worked, 0.9, max = 0), "'max' must be a whole number of at least 1 or Inf")
  expect_error(kova_biclusters(worked, 0.9, max = 2.5), "'max' must be a whole number")
  expect_error(kova_biclusters(worked, "0.9"), "'threshold' must be one number")
  # The run's numbers in kova2's own words, refused before any search starts.
  expect_error(kova_biclusters(worked, 85), "the correlation threshold 85 lies outside -1 to 1: did you mean 0.85?",
               fixed = TRUE)
  expect_error(kova_biclusters(worked, -5), "the correlation threshold -5 lies outside -1 to 1", fixed = TRUE)
  expect_error(kova_biclusters(worked, NA), "the correlation threshold 'nan' is not a number", fixed = TRUE)
  expect_error(kova_biclusters(worked, NaN), "the correlation threshold 'nan' is not a number", fixed = TRUE)
  expect_error(kova_biclusters(worked, Inf), "the correlation threshold 'inf' is not a number", fixed = TRUE)
  expect_error(kova_biclusters(worked, 0.9, threads = 1e10), "the number of threads 2147483647 lies outside 0 to 1024",
               fixed = TRUE)
  expect_error(kova_biclusters(worked, 0.9, threads = 1025), "the number of threads 1025 lies outside 0 to 1024",
               fixed = TRUE)
  expect_error(kova_biclusters(letters, 0.9), "'x' must be a numeric matrix")
  file <- tempfile(fileext = ".txt")
  expect_error(kova_write_result(kova_biclusters(worked, 0.9), file, file), "two different files")
  expect_error(kova_write_result(kova_biclusters(worked, 0.9), file.path(tempfile(), "no", "out.txt"), file),
               "cannot create")
})

test_that("reading refuses matrices of uneven lines and output files that do not fit them", {
  matrix_file <- tempfile(fileext = ".txt")
  writeLines(c("a 1 2 3", "b 1 2"), matrix_file)
  output <- tempfile(fileext = ".txt")
  writeLines(character(), output)
  expect_error(kova_read_result(output, matrix_file), "line 2 holds 2 values, but line 1 holds 3")
  write_matrix(worked, matrix_file)
  writeLines(c("2\t3", "sample1, sample2, sample9, ", "g1\tg2\t"), output)
  expect_error(kova_read_result(output, matrix_file), "bicluster 1 does not match")
  writeLines(c("2\t3", "sample1, sample2, sample3, ", "g1\tg7\t"), output)
  expect_error(kova_read_result(output, matrix_file), "gene 'g7' of bicluster 1 is not in the matrix")
})
