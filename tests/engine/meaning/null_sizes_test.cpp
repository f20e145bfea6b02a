// From null runs' bicluster sizes to p-values and expected numbers, on sizes small enough to count
// by hand.

#include "engine/meaning/null_sizes.hpp"

#include <gtest/gtest.h>

namespace kova {
namespace {

TEST(NullSizes, ARunCountsOnceForPAndEveryBiclusterForTheExpectedNumber) {
  const std::vector<std::vector<BiclusterSize>> runs = {
      {{2, 10}, {2, 12}, {3, 5}},  // 3 x 5 and 2 x 12: no one bicluster is 3 x 12
      {{2, 8}},
      {},  // a run that found nothing
      {{5, 20}},
  };
  const std::vector<BiclusterSize> real = {{2, 8}, {2, 11}, {3, 6}, {3, 5}, {2, 21}, {6, 3}, {1, 1}};
  const std::vector<Significance> rated = rate_against_null(runs, real);
  ASSERT_EQ(rated.size(), real.size());
  const double expected_p[] = {4.0 / 5, 3.0 / 5, 2.0 / 5, 3.0 / 5, 1.0 / 5, 1.0 / 5, 4.0 / 5};
  const double expected_number[] = {4.0 / 4, 2.0 / 4, 1.0 / 4, 2.0 / 4, 0, 0, 5.0 / 4};
  for (std::size_t i = 0; i < real.size(); ++i) {
    EXPECT_DOUBLE_EQ(rated[i].p_value, expected_p[i]) << real[i].genes << " x " << real[i].samples;
    EXPECT_DOUBLE_EQ(rated[i].expected, expected_number[i]) << real[i].genes << " x " << real[i].samples;
  }
}

TEST(NullSizes, PIsMonotoneInBothSizes) {
  std::vector<std::vector<BiclusterSize>> runs(20);
  for (std::int32_t r = 0; r < 20; ++r) {
    for (std::int32_t b = 0; b <= r; ++b)
      runs[static_cast<std::size_t>(r)].push_back({2 + (r * 7 + b) % 5, 3 + (r * 3 + b * 5) % 17});
  }
  std::vector<BiclusterSize> grid;
  for (std::int32_t g = 1; g <= 8; ++g) {
    for (std::int32_t s = 1; s <= 22; ++s) grid.push_back({g, s});
  }
  const std::vector<Significance> rated = rate_against_null(runs, grid);
  for (std::size_t i = 0; i < grid.size(); ++i) {
    // Against a direct count of the runs.
    int hits = 0;
    for (const auto& run : runs) {
      bool any = false;
      for (const BiclusterSize& size : run)
        any = any || (size.genes >= grid[i].genes && size.samples >= grid[i].samples);
      hits += any ? 1 : 0;
    }
    EXPECT_DOUBLE_EQ(rated[i].p_value, (1.0 + hits) / 21) << grid[i].genes << " x " << grid[i].samples;
    // A larger bicluster is never less significant.
    if (grid[i].samples > 1) {
      EXPECT_LE(rated[i].p_value, rated[i - 1].p_value);
      EXPECT_LE(rated[i].expected, rated[i - 1].expected);
    }
    if (grid[i].genes > 1) {
      EXPECT_LE(rated[i].p_value, rated[i - 22].p_value);
      EXPECT_LE(rated[i].expected, rated[i - 22].expected);
    }
  }
}

}  // namespace
}  // namespace kova
