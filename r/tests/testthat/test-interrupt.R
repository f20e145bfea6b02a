# A long run in an Rscript of its own, interrupted with SIGINT after 3 s as Ctrl-C would: the
# search (about 25 s here: 10000 random genes x 1000 samples at 0.9, one thread), and the null
# runs of significance (2000 random genes x 100 samples, far more runs than 3 s allow).
child_script <- function(setup, call) {
  c("library(kova)",
    "set.seed(1)",
    setup,
    "threads <- function() length(list.files('/proc/self/task'))",
    "before <- threads()",
    "writeLines(as.character(Sys.getpid()), commandArgs(TRUE)[1])",
    sprintf("result <- tryCatch(%s, interrupt = function(e) 'interrupted')", call),
    "cat('\\n', if (identical(result, 'interrupted')) 'interrupted' else 'finished', sprintf('%.3f', as.numeric(Sys.time())), '\\n')",
    "cat('threads', before, threads(), '\\n')",
    "cat('alive', length(kova_biclusters(x[1:50, 1:20], 0.9)), '\\n')")
}
search_script <- child_script(
  "x <- matrix(rnorm(1e7), 10000, 1000, dimnames = list(paste0('g', 1:10000), NULL))",
  "kova_biclusters(x, 0.9, threads = 1, progress = TRUE)")
significance_script <- child_script(
  c("x <- matrix(rnorm(2e5), 2000, 100, dimnames = list(paste0('g', 1:2000), NULL))",
    "r <- kova_biclusters(x, 0.9, progress = FALSE)"),
  "kova_significance(r, x, n = 100000, threads = 1, progress = TRUE)")

wait_for <- function(done, seconds) {
  waited <- 0
  while (!done() && waited < seconds) {
    Sys.sleep(0.05)
    waited <- waited + 0.05
  }
  done()
}

expect_interrupted <- function(child_script) {
  dir <- tempfile("interrupt-")
  dir.create(dir)
  script <- file.path(dir, "search.R")
  pid_file <- file.path(dir, "pid")
  log <- file.path(dir, "log.txt")
  writeLines(child_script, script)
  system2(file.path(R.home("bin"), "Rscript"), c(shQuote(script), shQuote(pid_file)), stdout = log, stderr = log,
          wait = FALSE, env = paste0("R_LIBS=", shQuote(paste(.libPaths(), collapse = ":"))))
  expect_true(wait_for(function() file.exists(pid_file) && length(readLines(pid_file)) == 1L, 60))
  Sys.sleep(3)
  sent <- as.numeric(Sys.time())
  tools::pskill(as.integer(readLines(pid_file)), tools::SIGINT)
  expect_true(wait_for(function() any(grepl("^alive", readLines(log, warn = FALSE))), 60))
  lines <- readLines(log, warn = FALSE)
  ended <- strsplit(trimws(grep("interrupted|finished", lines, value = TRUE)), " ")[[1L]]
  expect_identical(ended[1L], "interrupted")
  expect_lt(as.numeric(ended[2L]) - sent, 1)
  # The progress bar was drawn while the search ran.
  expect_true(any(grepl("\\|\\s+\\|\\s+[0-9]+%|=+\\s*\\|\\s+[0-9]+%", lines)))
  threads <- scan(text = grep("^threads", lines, value = TRUE), what = "", quiet = TRUE)
  expect_identical(threads[2L], threads[3L])
  expect_match(grep("^alive", lines, value = TRUE), "^alive [0-9]+")
}

test_that("SIGINT ends a long search within a second, with R's interrupt condition, R alive and no thread left", {
  expect_interrupted(search_script)
})

test_that("SIGINT ends the null runs of significance the same way", {
  expect_interrupted(significance_script)
})
