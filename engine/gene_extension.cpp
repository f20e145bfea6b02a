#include "engine/gene_extension.hpp"

#include "engine/correlation.hpp"

namespace kova {
namespace {

constexpr std::size_t kCandidatesPerChunk = 512;

}  // namespace

GeneExtension::GeneExtension(const GeneTable& table, ThreadPool& pool)
    : table_(table), pool_(pool), passes_(static_cast<std::size_t>(table.genes()), 0) {
  columns_.reserve(static_cast<std::size_t>(table.samples()));
}

GeneExtension::MemberSums GeneExtension::member_sums(std::int32_t gene) const {
  MemberSums sums{table_[gene].values, 0.0, 0.0};
  for (const std::int32_t s : columns_) {
    sums.sy += sums.row[s];
    sums.syy += sums.row[s] * sums.row[s];
  }
  return sums;
}

// Each of the five sums is the same chain of additions the literal search makes, in ascending
// column order; Sy and Syy are simply taken from the member's precomputed chain.
double GeneExtension::correlation_with(std::int32_t candidate, const MemberSums& member) const {
  const double* x = table_[candidate].values;
  PairSums sums;
  for (const std::int32_t s : columns_) {
    sums.sx += x[s];
    sums.sxx += x[s] * x[s];
    sums.sxy += x[s] * member.row[s];
  }
  sums.sy = member.sy;
  sums.syy = member.syy;
  return correlation(sums, selected_);
}

void GeneExtension::extend(std::vector<std::int32_t>& members, std::span<const std::int32_t> sample_flags,
                           std::int32_t selected, std::span<const std::int32_t> assigned, double threshold) {
  columns_.clear();
  for (std::size_t s = 0; s < sample_flags.size(); ++s) {
    if (sample_flags[s] != 0) columns_.push_back(static_cast<std::int32_t>(s));
  }
  selected_ = selected;
  const std::int32_t seed = members[0];
  const std::int32_t partner = members[1];
  const MemberSums seed_sums = member_sums(seed);
  const MemberSums partner_sums = member_sums(partner);

  pool_.parallel_for(passes_.size(), kCandidatesPerChunk, [&](std::size_t begin, std::size_t end, int) {
    for (std::size_t p = begin; p < end; ++p) {
      const auto gene = static_cast<std::int32_t>(p);
      passes_[p] = assigned[p] == 0 && gene != seed && gene != partner &&
                   correlation_with(gene, seed_sums) >= threshold &&
                   correlation_with(gene, partner_sums) >= threshold;
    }
  });

  std::vector<MemberSums> added;
  for (std::size_t p = 0; p < passes_.size(); ++p) {
    if (passes_[p] == 0) continue;
    const auto gene = static_cast<std::int32_t>(p);
    bool joins = true;
    for (const MemberSums& member : added) {
      if (!(correlation_with(gene, member) >= threshold)) {
        joins = false;
        break;
      }
    }
    if (!joins) continue;
    members.push_back(gene);
    added.push_back(member_sums(gene));
  }
}

}  // namespace kova
