#include "viewer/core/clustering.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>

#include "tests/support/collecting_sink.hpp"

namespace kova::viewer {
namespace {

// Average linkage the slow, obvious way: merge the closest pair of groups, distances averaged
// over all their members; the group with the lower first item goes first.
std::vector<std::size_t> obvious_average_linkage(const std::vector<std::vector<double>>& d) {
  std::vector<std::vector<std::size_t>> groups;
  for (std::size_t i = 0; i < d.size(); ++i) groups.push_back({i});
  while (groups.size() > 1) {
    double best = std::numeric_limits<double>::infinity();
    std::size_t a = 0, b = 1;
    for (std::size_t i = 0; i < groups.size(); ++i) {
      for (std::size_t j = i + 1; j < groups.size(); ++j) {
        double sum = 0;
        for (std::size_t x : groups[i]) {
          for (std::size_t y : groups[j]) sum += d[x][y];
        }
        const double mean = sum / static_cast<double>(groups[i].size() * groups[j].size());
        if (mean < best) {
          best = mean;
          a = i;
          b = j;
        }
      }
    }
    std::vector<std::size_t> first = groups[a], second = groups[b];
    if (*std::min_element(second.begin(), second.end()) < *std::min_element(first.begin(), first.end()))
      std::swap(first, second);
    first.insert(first.end(), second.begin(), second.end());
    groups.erase(groups.begin() + static_cast<std::ptrdiff_t>(b));
    groups[a] = first;
  }
  return groups[0];
}

TEST(Clustering, MatchesTheObviousAverageLinkage) {
  std::mt19937 random(11);
  std::uniform_real_distribution<double> distance(0.0, 2.0);
  for (std::size_t n : {1u, 2u, 3u, 7u, 25u}) {
    std::vector<std::vector<double>> d(n, std::vector<double>(n, 0.0));
    for (std::size_t i = 0; i < n; ++i) {
      for (std::size_t j = i + 1; j < n; ++j) d[i][j] = d[j][i] = distance(random);
    }
    EXPECT_EQ(average_linkage_order(n, [&](std::size_t i, std::size_t j) { return d[i][j]; }),
              obvious_average_linkage(d))
        << n << " items";
  }
}

TEST(Clustering, BringsLikeGenesAndLikeSamplesTogether) {
  // Genes 0 and 2 rise over the samples, 1 and 3 fall; samples 0 and 2 are high in the rising
  // genes, 1 and 3 low.
  const GeneTable table = test::make_table({{9, 1, 8, 2, 5}, {1, 9, 2, 8, 5}, {8, 2, 9, 1, 4}, {2, 8, 1, 9, 6}});
  const std::vector<std::int32_t> rows = {0, 1, 2, 3};
  const std::vector<std::int32_t> samples = {0, 1, 2, 3};
  const ClusteredOrder order = clustered_order(table, rows, samples);
  EXPECT_TRUE(order.rows_clustered);
  EXPECT_TRUE(order.samples_clustered);
  EXPECT_EQ(order.rows, (std::vector<std::int32_t>{0, 2, 1, 3}));
  EXPECT_EQ(order.samples, (std::vector<std::int32_t>{0, 2, 1, 3}));
}

}  // namespace
}  // namespace kova::viewer
