# kova2's batch way with what a bicluster means, and the tables it writes beside its output.

run_kova2_batch <- function(matrix_file, threshold, max, ...) {
  home <- tempfile("kova-home-")
  dir.create(home)
  output <- file.path(home, "result.txt")
  args <- c("--matrix", matrix_file, "--output", output, "--report", file.path(home, "report.txt"),
            "--threshold", format(threshold, digits = 17), "--max", format(max), "--quiet", ...)
  status <- system2(kova2_path(), shQuote(args), stdout = FALSE, stderr = FALSE,
                    env = paste0("HOME=", shQuote(home)))
  expect_equal(status, 0L)
  output
}

read_table <- function(path) {
  utils::read.delim(path, colClasses = "character", quote = "", comment.char = "", na.strings = character())
}

# A kova2 table and a data frame of ours: the same rows, counts and names exactly, numbers to a
# relative 1e-12 (kova2 writes the shortest text that reads back to its double).
expect_same_table <- function(ours, path, numbers) {
  theirs <- read_table(path)
  expect_identical(nrow(ours), nrow(theirs))
  for (column in names(theirs)) {
    if (column %in% numbers) {
      expect_equal(as.double(ours[[column]]), as.double(theirs[[column]]), tolerance = 1e-12, label = column)
    } else {
      expect_identical(as.character(ours[[column]]), theirs[[column]], label = column)
    }
  }
}
