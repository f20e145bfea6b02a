#include "engine/search/member_correlation.hpp"

#include "engine/model/correlation.hpp"

namespace kova {

void MemberCorrelation::set(const double* member_row, std::span<const std::int32_t> columns) {
  columns_ = columns;
  member_.resize(columns.size());
  sy_ = 0.0;
  syy_ = 0.0;
  for (std::size_t k = 0; k < columns.size(); ++k) {
    const double y = member_row[columns[k]];
    member_[k] = y;
    sy_ += y;
    syy_ += y * y;
  }
}

double MemberCorrelation::with(const double* candidate_row) const {
  PairSums sums;
  for (std::size_t k = 0; k < columns_.size(); ++k) {
    const double x = candidate_row[columns_[k]];
    sums.sx += x;
    sums.sxx += x * x;
    sums.sxy += x * member_[k];
  }
  sums.sy = sy_;
  sums.syy = syy_;
  return correlation(sums, static_cast<std::int32_t>(columns_.size()));
}

}  // namespace kova
