#include "r_matrix.hpp"

namespace kova_r {

void set_names(kova::GeneTable& table, const Rcpp::CharacterVector& names) {
  for (R_xlen_t g = 0; g < names.size(); ++g) table[static_cast<std::int32_t>(g)].name = CHAR(STRING_ELT(names, g));
}

kova::GeneTable table_of(const Rcpp::NumericMatrix& x, const Rcpp::CharacterVector& names) {
  const auto genes = static_cast<std::int32_t>(x.nrow());
  const auto samples = static_cast<std::int32_t>(x.ncol());
  kova::GeneTable table(genes, samples);
  set_names(table, names);
  // The table holds each gene's row in one piece.
  for (std::int32_t s = 0; s < samples; ++s) {
    const double* column = &x[static_cast<R_xlen_t>(s) * genes];
    for (std::int32_t g = 0; g < genes; ++g) table[g].values[s] = column[g];
  }
  return table;
}

}  // namespace kova_r
