worked <- rbind(g1 = c(1, 2, 3, 4, 5), g2 = c(2, 4, 6, 8, 11), g3 = c(5, 1, 4, 2, 3),
                g4 = c(1, 3, 3, 4, 6), g5 = c(3, 1, 4, 1, 5))
colnames(worked) <- paste0("s", 1:5)

test_that("as_biclust makes a Biclust object of biclust's slots", {
  r <- kova_biclusters(worked, 0.9)
  if (!requireNamespace("biclust", quietly = TRUE)) {
    # biclust is not in Debian: a class of its slots stands in for it.
    methods::setClass("Biclust", representation(Parameters = "list", RowxNumber = "matrix", NumberxCol = "matrix",
                                                Number = "numeric", info = "list"), where = globalenv())
    on.exit(methods::removeClass("Biclust", where = globalenv()))
  }
  b <- as_biclust(r)
  expect_s4_class(b, "Biclust")
  expect_identical(b@Number, 3L)
  expect_identical(b@RowxNumber, as.matrix(r$RowxNumber))
  expect_true(is.logical(b@RowxNumber) && is.logical(b@NumberxCol))
  expect_identical(which(b@NumberxCol[2, ]), c(s2 = 2L, s4 = 4L, s5 = 5L))
  expect_identical(b@Parameters$threshold, 0.9)
  expect_identical(b@info$plain_r$median_r, as.data.frame(r)$median_r)
})

test_that("kova_submatrix gives a bicluster's part of the matrix in the matrix's own class", {
  need_package("Biobase")
  need_package("SummarizedExperiment")
  r <- kova_biclusters(worked, 0.9)
  expect_identical(kova_submatrix(r, 2, worked), worked[r[[2]]$genes, c("s2", "s4", "s5")])
  set <- Biobase::ExpressionSet(assayData = worked)
  part <- kova_submatrix(r, "BC3", set)
  expect_s4_class(part, "ExpressionSet")
  expect_identical(Biobase::exprs(part), worked[r[[3]]$rows, r[[3]]$columns])
  experiment <- SummarizedExperiment::SummarizedExperiment(assays = list(values = worked))
  part <- kova_submatrix(r, 1, experiment)
  expect_s4_class(part, "SummarizedExperiment")
  expect_identical(dim(part), c(3L, 5L))
  # Read without the matrix, the genes are found by name.
  output <- tempfile(fileext = ".txt")
  kova_write_result(r, output, tempfile(fileext = ".txt"))
  expect_identical(kova_submatrix(kova_read_result(output), 2, worked), worked[r[[2]]$genes, c(2, 4, 5)])
  expect_error(kova_submatrix(r, 1, worked[-1, ]), "'x' is not the matrix of this result")
  expect_error(kova_submatrix(r, 4, worked), "there is no bicluster 4")
})
