# Runs the real kova2 through its run description files, in a temporary HOME of its own.

kova2_path <- function() {
  path <- Sys.getenv("KOVA2")
  if (nzchar(path) && file.exists(path)) return(path)
  if (nzchar(Sys.getenv("KOVA_REQUIRE_KOVA2"))) stop("KOVA2 does not name a kova2 binary: '", path, "'")
  skip("KOVA2 does not name a kova2 binary")
}

# The real matrices in the data folder of the clone (tools/make-data.sh makes them).
data_file <- function(name) {
  path <- file.path(Sys.getenv("KOVA_ROOT"), "data", name)
  if (!nzchar(Sys.getenv("KOVA_ROOT")) || !file.exists(path)) {
    if (nzchar(Sys.getenv("KOVA_REQUIRE_KOVA2"))) stop("no ", path, " (run tools/make-data.sh)")
    skip(paste("no", name, "in the data folder of KOVA_ROOT"))
  }
  path
}

# A suggested package the tests use; where the tests must not skip, its absence is a failure.
need_package <- function(name) {
  if (requireNamespace(name, quietly = TRUE)) return(invisible())
  if (nzchar(Sys.getenv("KOVA_REQUIRE_KOVA2"))) stop("the package ", name, " is not installed")
  skip(paste(name, "is not installed"))
}

# Genes in rows, names kept as they are (they need not be unique).
read_matrix <- function(path) {
  table <- utils::read.table(path, header = FALSE, quote = "", comment.char = "", stringsAsFactors = FALSE)
  x <- as.matrix(table[-1L])
  dimnames(x) <- list(table[[1L]], NULL)
  x
}

# Every bit of every value survives: 17 significant digits read back give the same double.
write_matrix <- function(x, path) {
  values <- matrix(sprintf("%.17g", x), nrow = nrow(x))
  writeLines(do.call(paste, c(list(rownames(x)), as.data.frame(values), sep = "\t")), path)
}

run_kova2 <- function(matrix_file, genes, samples, threshold, max) {
  home <- tempfile("kova-home-")
  dir.create(home)
  output <- file.path(home, "result.txt")
  writeBin(charToRaw(paste0(matrix_file, "\r\n", output, "\r\n")), file.path(home, "outinfo.txt"))
  writeBin(charToRaw(sprintf("%d\r\n%d\r\n%.17g\r\n", genes, samples, threshold)), file.path(home, "doutinfo.txt"))
  answer <- file.path(home, "answer.txt")
  writeLines(as.character(max), answer)
  old <- setwd(home)
  on.exit(setwd(old))
  status <- system2(kova2_path(), stdin = answer, stdout = FALSE, stderr = FALSE,
                    env = paste0("HOME=", shQuote(home)))
  list(status = status, output = output, report = file.path(home, "bicluster_report.txt"))
}

file_bytes <- function(path) readBin(path, "raw", file.size(path))

# kova_biclusters on x and kova2 on the same numbers give the same two files, and reading kova2's
# files back gives the same biclusters (where the genes' names tell their rows).
expect_same_as_kova2 <- function(x, threshold, max = Inf, read_back = TRUE) {
  matrix_file <- tempfile("matrix-", fileext = ".txt")
  write_matrix(x, matrix_file)
  engine <- run_kova2(matrix_file, nrow(x), ncol(x), threshold, if (is.finite(max)) max else .Machine$integer.max)
  expect_equal(engine$status, 0L)
  result <- kova_biclusters(x, threshold, max)
  output <- tempfile("output-", fileext = ".txt")
  report <- tempfile("report-", fileext = ".txt")
  kova_write_result(result, output, report)
  expect_identical(file_bytes(output), file_bytes(engine$output))
  expect_identical(file_bytes(report), file_bytes(engine$report))
  if (!read_back) return(result)
  read_back <- kova_read_result(engine$output, matrix_file)
  expect_identical(lapply(read_back, `[[`, "rows"), lapply(result, `[[`, "rows"))
  expect_identical(lapply(read_back, `[[`, "columns"), lapply(result, `[[`, "columns"))
  expect_identical(unname(read_back$RowxNumber), unname(result$RowxNumber))
  result
}
