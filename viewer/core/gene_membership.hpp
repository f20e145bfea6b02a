#pragma once
// Which biclusters each gene belongs to, and the genes a bicluster shares with others.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "viewer/core/run_data.hpp"

namespace kova::viewer {

struct GeneMembership {
  std::vector<std::int32_t> genes;                   // table rows in at least one bicluster, ascending
  std::vector<std::vector<std::size_t>> biclusters;  // per entry of `genes`: 0-based positions, ascending
};

GeneMembership gene_membership(const LoadedRun& run);

struct SharedGene {
  std::int32_t row = 0;             // the gene's table row
  std::vector<std::size_t> others;  // the other biclusters holding it, 0-based positions
};

// The genes of bicluster `index` that other biclusters hold as well, in member order.
std::vector<SharedGene> shared_genes(const LoadedRun& run, const GeneMembership& membership, std::size_t index);

}  // namespace kova::viewer
