#pragma once
// Gene extension with the literal search's result: every unassigned gene that correlates at or
// above the threshold with every member, over the selected samples, joins in ascending order.
// The tests against the seed and the partner do not depend on earlier joins, so they run for all
// candidates in parallel; the tests against members added during the extension run in order.

#include <cstdint>
#include <span>
#include <vector>

#include "engine/gene_table.hpp"
#include "engine/thread_pool.hpp"

namespace kova {

class GeneExtension {
 public:
  GeneExtension(const GeneTable& table, ThreadPool& pool);

  // `members` holds the seed and the partner; the genes that join are appended.
  void extend(std::vector<std::int32_t>& members, std::span<const std::int32_t> sample_flags,
              std::int32_t selected, std::span<const std::int32_t> assigned, double threshold);

 private:
  // A member's own sums over the selected samples (Sy, Syy), the same for every candidate.
  struct MemberSums {
    const double* row;
    double sy, syy;
  };
  MemberSums member_sums(std::int32_t gene) const;
  double correlation_with(std::int32_t candidate, const MemberSums& member) const;

  const GeneTable& table_;
  ThreadPool& pool_;
  std::vector<std::int32_t> columns_;  // the selected samples, ascending
  std::int32_t selected_ = 0;
  std::vector<std::uint8_t> passes_;  // per gene: passes the seed and the partner
};

}  // namespace kova
