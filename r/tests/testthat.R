library(testthat)
library(kova)

test_check("kova")
