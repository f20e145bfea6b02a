#pragma once
// From the sizes of the null runs' biclusters to every real bicluster's p-value and expected
// number: the counting half of significance, apart from the searching.

#include <cstdint>
#include <span>
#include <vector>

#include "kova/meaning.hpp"

namespace kova {

struct BiclusterSize {
  std::int32_t genes = 0;
  std::int32_t samples = 0;
};

// For each of `biclusters`: p = (1 + runs with a bicluster at least as large in genes and in
// samples) / (runs + 1), and the mean number per run of such biclusters.
std::vector<Significance> rate_against_null(std::span<const std::vector<BiclusterSize>> null_runs,
                                            std::span<const BiclusterSize> biclusters);

}  // namespace kova
