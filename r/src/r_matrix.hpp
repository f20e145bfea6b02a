#pragma once
// The engine's gene table of a matrix R holds (genes in rows, column by column in memory).

#include <Rcpp.h>

#include "kova/matrix.hpp"

namespace kova_r {

void set_names(kova::GeneTable& table, const Rcpp::CharacterVector& names);

// The values cross as the doubles R holds, the names as their bytes.
kova::GeneTable table_of(const Rcpp::NumericMatrix& x, const Rcpp::CharacterVector& names);

}  // namespace kova_r
