test_that("golub_500 gives kova2's files byte for byte", {
  x <- read_matrix(data_file("golub_500.txt"))
  expect_equal(dim(x), c(500L, 38L))
  result <- expect_same_as_kova2(x, 0.9)
  expect_gt(length(result), 10L)
  limited <- expect_same_as_kova2(x, 0.8, max = 7)
  expect_equal(length(limited), 7L)
})

test_that("ALL_top1000 gives kova2's files byte for byte", {
  x <- read_matrix(data_file("ALL_top1000.txt"))
  expect_equal(dim(x), c(1000L, 128L))
  result <- expect_same_as_kova2(x, 0.9)
  expect_gt(length(result), 0L)
})

test_that("values at full precision and long names reach the files as kova2 writes them", {
  long <- strrep("a_very_long_gene_name_", 4)
  set.seed(15)
  base <- cumsum(rnorm(12))
  x <- rbind(base + rnorm(12, sd = 1e-3), base * pi + 1 / 3, rnorm(12), base - 1e-9, base + 2^-40,
             rnorm(12))
  rownames(x) <- c(long, "dup", "dup3", paste0(long, "x"), "dup5", "other")
  expect_gt(nchar(long), 51L)
  result <- expect_same_as_kova2(x, 0.95)
  expect_true(long %in% result[[1]]$genes)
})

test_that("a result of kova2 on a matrix file that repeats a gene name reads back with a warning", {
  set.seed(15)
  base <- cumsum(rnorm(12))
  x <- rbind(base + rnorm(12, sd = 1e-3), base * pi + 1 / 3, rnorm(12), base - 1e-9, base + 2^-40, rnorm(12))
  rownames(x) <- c("first", "dup", "dup", "fourth", "dup", "other")
  matrix_file <- tempfile(fileext = ".txt")
  write_matrix(x, matrix_file)
  engine <- run_kova2(matrix_file, nrow(x), ncol(x), 0.95, 100)
  expect_equal(engine$status, 0L)
  expect_warning(read <- kova_read_result(engine$output, matrix_file), "the matrix names several genes 'dup'")
  rownames(x) <- c("first", "dup", "dup3", "fourth", "dup5", "other")
  expect_identical(lapply(read, `[[`, "columns"), lapply(kova_biclusters(x, 0.95, max = 100), `[[`, "columns"))
  expect_error(kova_biclusters(read_matrix(matrix_file), 0.95), "rows 2 and 3 of 'x' are both named 'dup'")
})

test_that("the threshold is the search's own correlation: on golub_500 at 0.9 a pair's plain r reaches -0.085", {
  x <- read_matrix(data_file("golub_500.txt"))
  r <- kova_biclusters(x, 0.9)
  table <- as.data.frame(r)
  expect_equal(min(table$smallest_r), -0.0851, tolerance = 1e-3)
  b <- r[[which.min(table$smallest_r)]]
  expect_equal(min(cor(t(x[b$rows, b$columns]))), min(table$smallest_r), tolerance = 1e-12)
})

test_that("the ALL.txt result at 0.9 stays under 50 MB and its SummarizedExperiment gives the same", {
  need_package("SummarizedExperiment")
  x <- read_matrix(data_file("ALL.txt"))
  expect_equal(dim(x), c(12625L, 128L))
  r <- kova_biclusters(x, 0.9)
  expect_gt(length(r), 10000L)
  expect_lt(as.numeric(object.size(r)), 50 * 2^20)
  expect_identical(sum(r$RowxNumber), sum(lengths(lapply(r, `[[`, "rows"))))
  experiment <- SummarizedExperiment::SummarizedExperiment(assays = list(exprs = x))
  expect_identical(as.data.frame(kova_biclusters(experiment, 0.9)), as.data.frame(r))
})
