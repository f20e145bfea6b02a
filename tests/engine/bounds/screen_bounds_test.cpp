// The screen's member and scales: which columns come first, and where the bounds refuse to prove
// anything. What the screen proves with them is tested with the tiles (screen_tile_test.cpp).

#include "engine/bounds/screen_bounds.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "engine/search/member_correlation.hpp"

namespace kova {
namespace {

// The early test takes the columns where the member lies furthest from its mean (of equal
// distances the earlier ones), the rest follow, each part ascending: a permutation of the columns.
// Where the width screens in half precision there is no early test up to kHalfMostColumns columns,
// and the columns stay in their order.
TEST(ScreenMember, PutsItsFurthestColumnsFirst) {
  for (const ScreenWidth width : {ScreenWidth{false}, ScreenWidth{true}}) {
    std::mt19937_64 random(31);
    int with_early_test = 0;
    for (int round = 0; round < 200; ++round) {
      const std::size_t samples = 3 + static_cast<std::size_t>(random() % 60);
      std::vector<double> row(samples);
      for (double& v : row) v = static_cast<double>(random() % 7);  // many equal distances
      std::vector<std::int32_t> columns;
      for (std::size_t c = 0; c < samples; ++c) {
        if (random() % 3 != 0 || columns.size() + (samples - c) <= 3) columns.push_back(static_cast<std::int32_t>(c));
      }
      MemberCorrelation exact;
      exact.set(row.data(), columns);
      ScreenMember member;
      member.set(row.data(), columns, exact.sy(), exact.syy(), 0.995, width);
      if (!member.usable()) continue;
      const std::vector<std::int32_t>& order = member.columns();
      ASSERT_TRUE(std::is_permutation(order.begin(), order.end(), columns.begin(), columns.end()));
      if (columns.size() < kLeastPrefixColumns || width.half_precision) {
        EXPECT_EQ(order, columns);
      }
      const std::size_t m = member.prefix_columns();
      if (m == 0) continue;  // the other columns could lift anything
      ++with_early_test;
      const double mean = exact.sy() / static_cast<double>(columns.size());
      const auto distance = [&](std::int32_t c) { return std::fabs(row[static_cast<std::size_t>(c)] - mean); };
      EXPECT_TRUE(std::is_sorted(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(m)));
      EXPECT_TRUE(std::is_sorted(order.begin() + static_cast<std::ptrdiff_t>(m), order.end()));
      for (std::size_t i = 0; i < m; ++i) {
        for (std::size_t j = m; j < order.size(); ++j) {
          ASSERT_TRUE(distance(order[i]) > distance(order[j]) ||
                      (distance(order[i]) == distance(order[j]) && order[i] < order[j]))
              << "round " << round;
        }
      }
    }
    EXPECT_EQ(with_early_test > 50, !width.half_precision) << with_early_test;
  }
}

TEST(ScreenMember, NothingIsProvenWhereTheBoundsDoNotHold) {
  const std::vector<std::int32_t> columns = {0, 1, 2, 3};
  const std::vector<double> member_row = {1.0, 2.0, 4.0, 3.0};
  MemberCorrelation exact;
  exact.set(member_row.data(), columns);
  ScreenMember member;
  for (const double threshold : {0.0, -0.5, 1e-200, std::nan("")}) {
    member.set(member_row.data(), columns, exact.sy(), exact.syy(), threshold, ScreenWidth{});
    EXPECT_FALSE(member.usable()) << threshold;
  }
  const std::vector<double> flat = {5.0, 5.0, 5.0, 5.0};
  exact.set(flat.data(), columns);
  member.set(flat.data(), columns, exact.sy(), exact.syy(), 0.9, ScreenWidth{});
  EXPECT_FALSE(member.usable());

  EXPECT_FALSE(screen_scale(std::vector<double>{1.0, INFINITY, 2.0}).usable);
  EXPECT_FALSE(screen_scale(std::vector<double>{1e300, -1e300, 1e300}).usable);  // the mean overflows
  EXPECT_FALSE(screen_scale(std::vector<double>{1e-200, 0.0, 3e-200}).usable);   // scale out of range
  EXPECT_TRUE(screen_scale(std::vector<double>{0.0, 0.0, 0.0}).usable);
}

}  // namespace
}  // namespace kova
