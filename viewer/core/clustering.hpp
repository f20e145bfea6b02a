#pragma once
// Orders a bicluster's genes and samples so that its pattern shows: hierarchical clustering with
// average linkage on 1 - r, read off as the leaf order of the tree.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "kova/matrix.hpp"

namespace kova::viewer {

// Above this many genes (or samples) that side keeps the matrix order: the distances alone would
// take n x n doubles.
inline constexpr std::size_t kMaxClusteredItems = 2000;

// The leaf order of average-linkage clustering of `count` items; `distance` is symmetric. At
// every merge the group holding the lower first item goes first, so ties keep the given order.
std::vector<std::size_t> average_linkage_order(std::size_t count,
                                               const std::function<double(std::size_t, std::size_t)>& distance);

struct ClusteredOrder {
  std::vector<std::int32_t> rows;     // the bicluster's table rows, reordered
  std::vector<std::int32_t> samples;  // its samples (0-based), reordered
  bool rows_clustered = false;        // false: too many to cluster, kept in member order
  bool samples_clustered = false;
};

// Genes by 1 - r over the bicluster's samples; samples by 1 - r over its genes, each gene
// standardised as the heatmap colours it. An undefined r counts as 0.
ClusteredOrder clustered_order(const GeneTable& table, std::span<const std::int32_t> rows,
                               std::span<const std::int32_t> samples);

}  // namespace kova::viewer
