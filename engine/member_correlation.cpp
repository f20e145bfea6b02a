#include "engine/member_correlation.hpp"

#include "engine/correlation.hpp"

namespace kova {
namespace {

// Two doubles in one register; every operation on it is two independent IEEE operations.
using Lanes = double __attribute__((vector_size(16)));

}  // namespace

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

void MemberCorrelation::with_four(const double* const rows[4], double r[4]) const {
  Lanes sx01 = {0.0, 0.0}, sxx01 = sx01, sxy01 = sx01;
  Lanes sx23 = sx01, sxx23 = sx01, sxy23 = sx01;
  for (std::size_t k = 0; k < columns_.size(); ++k) {
    const std::int32_t c = columns_[k];
    const Lanes y = {member_[k], member_[k]};
    const Lanes x01 = {rows[0][c], rows[1][c]};
    const Lanes x23 = {rows[2][c], rows[3][c]};
    sx01 += x01;
    sx23 += x23;
    sxx01 += x01 * x01;
    sxx23 += x23 * x23;
    sxy01 += x01 * y;
    sxy23 += x23 * y;
  }
  const auto n = static_cast<std::int32_t>(columns_.size());
  const Lanes* sx[2] = {&sx01, &sx23};
  const Lanes* sxx[2] = {&sxx01, &sxx23};
  const Lanes* sxy[2] = {&sxy01, &sxy23};
  for (int q = 0; q < 4; ++q) {
    PairSums sums;
    sums.sx = (*sx[q / 2])[q % 2];
    sums.sxx = (*sxx[q / 2])[q % 2];
    sums.sxy = (*sxy[q / 2])[q % 2];
    sums.sy = sy_;
    sums.syy = syy_;
    r[q] = correlation(sums, n);
  }
}

}  // namespace kova
