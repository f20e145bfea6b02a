#include "engine/meaning/null_sizes.hpp"

#include <algorithm>

namespace kova {
namespace {

// Counts over genes 0..G and samples 0..S, read as "at least this many genes and samples".
class SizeTable {
 public:
  SizeTable(std::int32_t genes, std::int32_t samples)
      : columns_(static_cast<std::size_t>(samples) + 2),
        rows_(static_cast<std::size_t>(genes) + 2),
        counts_(rows_ * columns_, 0) {}

  void add(std::int32_t genes, std::int32_t samples) { ++counts_[index(genes, samples)]; }

  // Each cell becomes the sum of the cells at least as far along: in samples only, or in both.
  void sum_along_samples() {
    for (std::size_t g = 0; g < rows_; ++g) {
      for (std::size_t s = columns_ - 1; s-- > 0;) counts_[g * columns_ + s] += counts_[g * columns_ + s + 1];
    }
  }
  void sum_along_genes() {
    for (std::size_t g = rows_ - 1; g-- > 0;) {
      for (std::size_t s = 0; s < columns_; ++s) counts_[g * columns_ + s] += counts_[(g + 1) * columns_ + s];
    }
  }

  // Past the largest sizes held, nothing is as large.
  std::int64_t at(std::int32_t genes, std::int32_t samples) const {
    const auto g = static_cast<std::size_t>(std::max(genes, 0));
    const auto s = static_cast<std::size_t>(std::max(samples, 0));
    return g < rows_ && s < columns_ ? counts_[g * columns_ + s] : 0;
  }

 private:
  std::size_t index(std::int32_t genes, std::int32_t samples) const {
    return static_cast<std::size_t>(genes) * columns_ + static_cast<std::size_t>(samples);
  }
  std::size_t columns_;
  std::size_t rows_;
  std::vector<std::int64_t> counts_;
};

}  // namespace

std::vector<Significance> rate_against_null(std::span<const std::vector<BiclusterSize>> null_runs,
                                            std::span<const BiclusterSize> biclusters) {
  std::int32_t most_genes = 0;
  std::int32_t most_samples = 0;
  for (const std::vector<BiclusterSize>& run : null_runs) {
    for (const BiclusterSize& size : run) {
      most_genes = std::max(most_genes, size.genes);
      most_samples = std::max(most_samples, size.samples);
    }
  }
  // Every bicluster of every run counts towards the expected number.
  SizeTable biclusters_at_least(most_genes, most_samples);
  // A run counts once towards p: per number of genes g, at the most samples any of its biclusters
  // of at least g genes has.
  SizeTable runs_at_least(most_genes, most_samples);
  std::vector<std::int32_t> most_samples_from(static_cast<std::size_t>(most_genes) + 1);
  for (const std::vector<BiclusterSize>& run : null_runs) {
    std::fill(most_samples_from.begin(), most_samples_from.end(), -1);
    for (const BiclusterSize& size : run) {
      biclusters_at_least.add(size.genes, size.samples);
      auto& most = most_samples_from[static_cast<std::size_t>(size.genes)];
      most = std::max(most, size.samples);
    }
    for (std::int32_t g = most_genes; g >= 0; --g) {
      auto& most = most_samples_from[static_cast<std::size_t>(g)];
      if (g < most_genes) most = std::max(most, most_samples_from[static_cast<std::size_t>(g) + 1]);
      if (most >= 0) runs_at_least.add(g, most);
    }
  }
  biclusters_at_least.sum_along_samples();
  biclusters_at_least.sum_along_genes();
  runs_at_least.sum_along_samples();

  const auto runs = static_cast<double>(null_runs.size());
  std::vector<Significance> rated;
  rated.reserve(biclusters.size());
  for (const BiclusterSize& size : biclusters) {
    const auto hits = static_cast<double>(runs_at_least.at(size.genes, size.samples));
    const auto found = static_cast<double>(biclusters_at_least.at(size.genes, size.samples));
    rated.push_back({(1 + hits) / (runs + 1), found / runs});
  }
  return rated;
}

}  // namespace kova
