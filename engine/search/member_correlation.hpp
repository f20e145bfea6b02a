#pragma once
// The correlation of candidate genes with one member over the selected samples, exactly as the
// literal search computes it: each of the five sums is the same chain of additions, in ascending
// column order. The member's own sums (Sy, Syy) are the same for every candidate and computed
// once.

#include <cstdint>
#include <span>
#include <vector>

namespace kova {

class MemberCorrelation {
 public:
  // The member's row and the selected columns (ascending), which must outlive the uses.
  void set(const double* member_row, std::span<const std::int32_t> columns);

  double with(const double* candidate_row) const;

  std::span<const std::int32_t> columns() const { return columns_; }
  std::span<const double> values() const { return member_; }  // at the selected columns
  double sy() const { return sy_; }
  double syy() const { return syy_; }

 private:
  std::span<const std::int32_t> columns_;
  std::vector<double> member_;  // the member's values at the selected columns
  double sy_ = 0.0, syy_ = 0.0;
};

}  // namespace kova
