worked <- rbind(g1 = c(1, 2, 3, 4, 5), g2 = c(2, 4, 6, 8, 11), g3 = c(5, 1, 4, 2, 3),
                g4 = c(1, 3, 3, 4, 6), g5 = c(3, 1, 4, 1, 5))
colnames(worked) <- paste0("s", 1:5)

written <- function(r) {
  output <- tempfile(fileext = ".txt")
  kova_write_result(r, output, tempfile(fileext = ".txt"))
  output
}

test_that("a result read back keeps the matrix's sample names, or gives the file's own", {
  r <- kova_biclusters(worked, 0.9)
  output <- written(r)
  matrix_file <- tempfile(fileext = ".txt")
  write_matrix(worked, matrix_file)
  with_matrix <- kova_read_result(output, worked)
  expect_identical(lapply(with_matrix, `[[`, "samples"), lapply(r, `[[`, "samples"))
  expect_identical(as.data.frame(with_matrix), as.data.frame(r))
  # A matrix file holds no sample names: the samples are numbered.
  from_file <- kova_read_result(output, matrix_file)
  expect_identical(from_file[[2]]$samples, c(2L, 4L, 5L))
  expect_identical(from_file$parameters$matrix_file, matrix_file)
  alone <- kova_read_result(output)
  expect_identical(lapply(alone, `[[`, "genes"), lapply(r, `[[`, "genes"))
  expect_identical(lapply(alone, `[[`, "samples"), lapply(r, `[[`, "columns"))
  expect_true(all(is.na(alone[[1]]$rows)) && all(is.na(alone[[1]]$plain_r)))
  expect_output(print(summary(alone)), "3 biclusters; 5 genes in a bicluster")
  expect_error(alone$RowxNumber, "read without its matrix")
  expect_error(kova_write_result(alone, tempfile(), tempfile()), "read without its matrix")
})

test_that("reading refuses matrices of uneven lines and output files that do not fit them", {
  matrix_file <- tempfile(fileext = ".txt")
  writeLines(c("a 1 2 3", "b 1 2"), matrix_file)
  output <- tempfile(fileext = ".txt")
  writeLines(character(), output)
  expect_error(kova_read_result(output, matrix_file), "line 2 holds 2 values, but line 1 holds 3")
  write_matrix(worked, matrix_file)
  writeLines(c("2\t3", "sample1, sample2, sample9, ", "g1\tg2\t"), output)
  expect_error(kova_read_result(output, matrix_file), "bicluster 1 names sample 9, but the matrix has 5 samples")
  writeLines(c("2\t3", "sample1, sample2, ", "g1\tg2\t"), output)
  expect_error(kova_read_result(output), "line 1: bicluster 1 does not match its own sizes")
  writeLines(c("2\t3", "sample1, sample2, sample3, ", "g1\tg7\t"), output)
  expect_error(kova_read_result(output, matrix_file), "gene 'g7' of bicluster 1 is not in the matrix")
  writeLines(c("2\t3", "sample1, sample2, sample3, "), output)
  expect_error(kova_read_result(output), "holds 2 lines, not three per bicluster")
})

test_that("writing refuses one file for both and a folder that is not there", {
  r <- kova_biclusters(worked, 0.9)
  file <- tempfile(fileext = ".txt")
  expect_error(kova_write_result(r, file, file), "two different files")
  expect_error(kova_write_result(r, file.path(tempfile(), "no", "out.txt"), file), "cannot create")
})
