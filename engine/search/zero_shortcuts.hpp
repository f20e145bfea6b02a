#pragma once
// Exact shortcuts for pairs that provably yield no bicluster, for matrices rich in zeros.
//
// Column elimination only ever sets values to 0, it never makes one non-zero; and a sample is
// selected only where both working rows are non-zero. So the samples a pair can end up with lie
// among the columns where both stored rows are non-zero. When there are fewer than three such
// columns, the pair reaches "fewer than 3 samples are selected" or "h < 3" whatever elimination
// does, and yields nothing: skipping its elimination changes no result. In particular a seed or
// partner with fewer than three non-zero values (a gene 0 in every column, for one) yields
// nothing with any gene, and with fewer than three samples no pair yields at all.
//
// A candidate 0 in every selected column of a pair cannot join its bicluster: its sums over them
// are all 0, so its literal correlation with the seed is 0 / sqrt(0 * B), NaN, whatever the seed.
// Gene extension skips the exact tests of such candidates, which the screen cannot reject (their
// spread over the columns is 0).

#include <cstdint>
#include <span>
#include <vector>

#include "engine/model/gene_table.hpp"

namespace kova {

class NonZeroColumns {
 public:
  explicit NonZeroColumns(const GeneTable& table);

  // True unless the gene has fewer than three non-zero values.
  bool may_yield(std::int32_t gene) const { return counts_[static_cast<std::size_t>(gene)] >= 3; }
  // True unless the two genes are both non-zero in fewer than three columns.
  bool may_yield(std::int32_t a, std::int32_t b) const;
  // `mask` = one bit per column, set where flags[s] != 0.
  void column_mask(std::span<const std::int32_t> flags, std::vector<std::uint64_t>& mask) const;
  // True when the gene is 0 in every column of `mask` (from column_mask).
  bool zero_over(std::int32_t gene, std::span<const std::uint64_t> mask) const;

 private:
  std::size_t words_;
  std::vector<std::uint64_t> masks_;  // per gene, one bit per column: value != 0
  std::vector<std::int32_t> counts_;
};

}  // namespace kova
