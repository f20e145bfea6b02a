#pragma once
// A block of candidate rows, transposed so that one column of all of them is contiguous: the
// extension screen then adds one column to many candidates with plain vector operations, and
// each candidate's sums stay the literal chains (one lane each, ascending columns).

#include <cstdint>
#include <span>
#include <vector>

#include "engine/gene_table.hpp"
#include "engine/member_correlation.hpp"

namespace kova {

class CandidateTile {
 public:
  static constexpr std::size_t kWidth = 32;  // candidates per tile; a multiple of 8

  // Takes the rows of `genes` (at most kWidth); lanes beyond them hold zeros.
  void load(const GeneTable& table, std::span<const std::int32_t> genes);
  // pass[k] for every loaded candidate k: whether its correlation with the member, exactly as
  // MemberCorrelation::with computes it, reaches the threshold.
  void passes(const MemberCorrelation& member, double threshold, bool* pass) const;

 private:
  std::vector<double> values_;  // column c of candidate k at [c * kWidth + k]
  std::size_t size_ = 0;
};

// The per-lane sums over `columns` for one tile: sx, sxx, sxy (kWidth each). `wide` picks the
// 256-bit instructions where the processor has them; both give the same bits. Exposed for tests.
void tile_sums(const double* tile, std::span<const std::int32_t> columns, const double* member, double* sx,
               double* sxx, double* sxy, bool wide);
bool wide_vectors_available();

}  // namespace kova
