worked <- rbind(g1 = c(1, 2, 3, 4, 5), g2 = c(2, 4, 6, 8, 11), g3 = c(5, 1, 4, 2, 3),
                g4 = c(1, 3, 3, 4, 6), g5 = c(3, 1, 4, 1, 5))
colnames(worked) <- paste0("s", 1:5)

# Each bicluster's rows and columns: what two results must share to be the same.
members <- function(r) lapply(r, function(b) list(rows = b$rows, columns = b$columns))

test_that("the worked example's biclusters, in order, with biclust's membership matrices", {
  r <- kova_biclusters(worked, 0.9, max = 10)
  expect_s3_class(r, "kova_result")
  expect_equal(length(r), 3L)
  expect_identical(r[[1]]$genes, c("g1", "g2", "g4"))
  expect_identical(r[[1]]$rows, c(1L, 2L, 4L))
  expect_identical(r[[2]]$samples, c("s2", "s4", "s5"))
  expect_identical(r[[3]]$columns, c(1L, 3L, 5L))
  expect_identical(dim(r$RowxNumber), c(5L, 3L))
  expect_identical(dim(r$NumberxCol), c(3L, 5L))
  expect_s4_class(r$RowxNumber, "lgCMatrix")
  expect_identical(unname(rowSums(as.matrix(r$RowxNumber))), c(3, 1, 1, 1, 1))
  expect_identical(unname(colSums(as.matrix(r$NumberxCol))), c(2, 2, 2, 2, 3))
  expect_identical(rownames(r$RowxNumber), rownames(worked))
  expect_identical(colnames(r$NumberxCol), colnames(worked))
  expect_identical(colnames(r$RowxNumber), c("BC1", "BC2", "BC3"))
  # Samples without names are given by number.
  x <- worked
  colnames(x) <- NULL
  expect_identical(kova_biclusters(x, 0.9)[[2]]$samples, c(2L, 4L, 5L))
})

test_that("length, lapply, sapply, for, [[ and [ walk the biclusters", {
  r <- kova_biclusters(worked, 0.9)
  expect_identical(unname(sapply(r, function(b) length(b$genes))), c(3L, 2L, 2L))
  expect_identical(names(lapply(r, `[[`, "samples")), c("BC1", "BC2", "BC3"))
  walked <- character()
  for (b in r) walked <- c(walked, paste(b$samples, collapse = ""))
  expect_identical(walked, c("s1s2s3s4s5", "s2s4s5", "s1s3s5"))
  expect_identical(r[["BC2"]]$genes, r[[2]]$genes)
  part <- r[c(3, 1)]
  expect_s3_class(part, "kova_result")
  expect_identical(sapply(part, `[[`, "number"), c(BC3 = 3L, BC1 = 1L))
  expect_identical(part[[1]]$samples, c("s1", "s3", "s5"))
  expect_identical(dim(part$RowxNumber), c(5L, 2L))
  expect_identical(members(r[-2]), members(r[c(TRUE, FALSE, TRUE)]))
  expect_error(r[c(1, 7)], "the result holds 3 biclusters, and the index names one that is not there")
  expect_error(r["BC9"], "names one that is not there")
  # [[ takes one whole number in range or one name, nothing else.
  expect_error(r[[c(1, 2)]], "a bicluster is chosen by one number or one name, not by 2 values")
  expect_error(r[[1.5]], "there is no bicluster 1.5: the result holds 3 \\(give a whole number from 1 to 3")
  expect_error(r[[4]], "there is no bicluster 4: the result holds 3")
  expect_error(r[[0]], "there is no bicluster 0")
  expect_error(r[[NA]], "there is no bicluster NA")
  expect_error(r[["nope"]], "there is no bicluster named 'nope'")
  expect_error(r[[TRUE]], "there is no bicluster TRUE")
  expect_error(r$nope, "a kova_result has no field 'nope'")
  expect_error(r[0][[1]], "there is no bicluster 1: the result holds none")
})

test_that("as.data.frame, print and summary say what the result holds", {
  r <- kova_biclusters(worked, 0.9)
  table <- as.data.frame(r)
  expect_identical(names(table), c("number", "genes", "samples", "size", "smallest_r", "median_r", "largest_r",
                                   "gene_names", "sample_names"))
  expect_identical(table$size, c(15L, 6L, 6L))
  expect_identical(table$gene_names[1], "g1 g2 g4")
  expect_identical(table$sample_names[2], "s2, s4, s5")
  # Plain r: the ordinary Pearson correlation over the bicluster's own samples.
  for (k in seq_along(r)) {
    b <- r[[k]]
    plain <- cor(t(worked[b$rows, b$columns]))
    plain <- plain[upper.tri(plain)]
    expect_equal(unname(b$plain_r), c(min(plain), median(plain), max(plain)), tolerance = 1e-12)
    expect_equal(table$median_r[k], median(plain), tolerance = 1e-12)
  }
  expect_output(print(r), "3 biclusters in 5 genes x 5 samples")
  expect_output(print(r), "BC1: 3 genes x 5 samples  g1 g2 g4")
  expect_output(print(r[[2]]), "bicluster 2: 2 genes x 3 samples")
  s <- summary(r)
  expect_identical(s$table$size, c(15L, 6L, 6L))
  expect_output(print(s), "3 biclusters; 5 of 5 genes in a bicluster")
  expect_output(print(s), "threshold = 0.9, max = Inf")
  expect_identical(r$parameters$max, Inf)
})

test_that("a long result's summary prints a head and says how many more", {
  set.seed(3)
  x <- matrix(rnorm(60 * 8), 60, 8, dimnames = list(sprintf("g%02d", 1:60), NULL))
  r <- kova_biclusters(x, 0.8)
  expect_gt(length(r), 15L)
  printed <- capture.output(print(summary(r)))
  expect_lt(length(printed), 15L)
  expect_true(any(grepl(sprintf("... and %d more", length(r) - 10L), printed, fixed = TRUE)))
})

test_that("max, threads and the progress bar", {
  expect_equal(length(kova_biclusters(worked, 0.9, max = 1)), 1L)
  expect_identical(members(kova_biclusters(worked, 0.9, threads = 1)), members(kova_biclusters(worked, 0.9, threads = 3)))
  expect_output(kova_biclusters(worked, 0.9, progress = TRUE), "100%")
  expect_silent(kova_biclusters(worked, 0.9, progress = FALSE))
  expect_error(kova_biclusters(worked, 0.9, progress = NA), "'progress' must be TRUE or FALSE")
})
