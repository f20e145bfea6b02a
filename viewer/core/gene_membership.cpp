#include "viewer/core/gene_membership.hpp"

#include <algorithm>

namespace kova::viewer {

GeneMembership gene_membership(const LoadedRun& run) {
  std::vector<std::vector<std::size_t>> per_row(static_cast<std::size_t>(run.table.genes()));
  for (std::size_t b = 0; b < run.gene_rows.size(); ++b) {
    for (std::int32_t row : run.gene_rows[b]) {
      std::vector<std::size_t>& holders = per_row[static_cast<std::size_t>(row)];
      // A gene named twice in one bicluster counts once.
      if (holders.empty() || holders.back() != b) holders.push_back(b);
    }
  }
  GeneMembership membership;
  for (std::size_t row = 0; row < per_row.size(); ++row) {
    if (per_row[row].empty()) continue;
    membership.genes.push_back(static_cast<std::int32_t>(row));
    membership.biclusters.push_back(std::move(per_row[row]));
  }
  return membership;
}

std::vector<SharedGene> shared_genes(const LoadedRun& run, const GeneMembership& membership, std::size_t index) {
  std::vector<SharedGene> shared;
  for (std::int32_t row : run.gene_rows[index]) {
    const auto at = std::lower_bound(membership.genes.begin(), membership.genes.end(), row);
    if (at == membership.genes.end() || *at != row) continue;
    SharedGene gene{row, {}};
    for (std::size_t b : membership.biclusters[static_cast<std::size_t>(at - membership.genes.begin())]) {
      if (b != index) gene.others.push_back(b);
    }
    const bool listed = std::any_of(shared.begin(), shared.end(), [&](const SharedGene& s) { return s.row == row; });
    if (!gene.others.empty() && !listed) shared.push_back(std::move(gene));
  }
  return shared;
}

}  // namespace kova::viewer
