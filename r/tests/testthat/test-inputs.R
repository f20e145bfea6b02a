worked <- rbind(g1 = c(1, 2, 3, 4, 5), g2 = c(2, 4, 6, 8, 11), g3 = c(5, 1, 4, 2, 3),
                g4 = c(1, 3, 3, 4, 6), g5 = c(3, 1, 4, 1, 5))
colnames(worked) <- paste0("patient", 1:5)
classes <- data.frame(class = c("ALL", "AML", "ALL", "AML", "ALL"), row.names = colnames(worked))
members <- function(r) lapply(r, function(b) list(rows = b$rows, columns = b$columns))

test_that("an ExpressionSet and a SummarizedExperiment give their matrix's result and keep the sample annotation", {
  need_package("Biobase")
  need_package("SummarizedExperiment")
  plain <- kova_biclusters(worked, 0.9)
  set <- Biobase::ExpressionSet(assayData = worked, phenoData = Biobase::AnnotatedDataFrame(classes))
  from_set <- kova_biclusters(set, 0.9)
  expect_identical(members(from_set), members(plain))
  expect_identical(from_set[[2]]$samples, c("patient2", "patient4", "patient5"))
  expect_identical(from_set$sample_data$class, classes$class)
  experiment <- SummarizedExperiment::SummarizedExperiment(
    assays = list(counts = worked * 100 + c(7, 0, 3, 1, 9), logs = worked), colData = classes)
  # The first assay by default, another by name or number.
  expect_identical(members(kova_biclusters(experiment, 0.9, assay = "logs")), members(plain))
  expect_identical(members(kova_biclusters(experiment, 0.9, assay = 2)), members(plain))
  expect_identical(members(kova_biclusters(experiment, 0.9)), members(kova_biclusters(worked * 100 + c(7, 0, 3, 1, 9), 0.9)))
  expect_identical(kova_biclusters(experiment, 0.9, assay = "logs")$sample_data$class, classes$class)
  expect_error(kova_biclusters(experiment, 0.9, assay = "exprs"), "'x' has no assay exprs; its assays are 'counts', 'logs'")
  expect_error(kova_biclusters(experiment, 0.9, assay = 3), "'x' has no assay 3")
  expect_error(kova_biclusters(worked, 0.9, assay = 1), "'assay' chooses among the assays")
})

test_that("values and names the search cannot take are refused, naming gene and column", {
  x <- worked
  x[2, 3] <- NA
  expect_error(kova_biclusters(x, 0.9), "'x' holds NA or NaN \\(gene 'g2', column 3, 'patient3'\\)")
  x[2, 3] <- Inf
  expect_error(kova_biclusters(x, 0.9), "'x' holds Inf (gene 'g2', column 3, 'patient3'); every value must be a finite",
               fixed = TRUE)
  x <- unname(worked)
  rownames(x) <- rownames(worked)
  x[5, 1] <- -Inf
  expect_error(kova_biclusters(x, 0.9), "'x' holds -Inf (gene 'g5', column 1)", fixed = TRUE)
  x <- worked
  rownames(x)[4] <- "g2"
  expect_error(kova_biclusters(x, 0.9), "rows 2 and 4 of 'x' are both named 'g2'")
  expect_error(kova_biclusters(unname(worked), 0.9), "'x' must have row names")
  x <- worked
  rownames(x)[4] <- "gene four"
  expect_error(kova_biclusters(x, 0.9), "row 4 of 'x' is named 'gene four'")
  expect_error(kova_biclusters(letters, 0.9), "'x' must be a numeric matrix")
})

test_that("a matrix too small for any bicluster is searched with a warning", {
  expect_warning(r <- kova_biclusters(worked[1, , drop = FALSE], 0.5),
                 "'x' has 1 gene and 5 samples: a bicluster needs at least 2 genes and 3 samples")
  expect_equal(length(r), 0L)
  expect_warning(r <- kova_biclusters(worked[, 1:2], 0.5), "'x' has 5 genes and 2 samples")
  expect_equal(length(r), 0L)
  expect_silent(kova_biclusters(worked[1:2, 1:3], 0.5))
})

test_that("the run's numbers are refused in kova2's own words", {
  expect_error(kova_biclusters(worked, 0.9, max = 0), "'max' must be a whole number of at least 1 or Inf")
  expect_error(kova_biclusters(worked, 0.9, max = 2.5), "'max' must be a whole number")
  expect_error(kova_biclusters(worked, "0.9"), "'threshold' must be one number")
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
})
