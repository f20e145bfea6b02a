#include "engine/search/zero_shortcuts.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/search/member_correlation.hpp"
#include "tests/support/collecting_sink.hpp"

namespace kova {
namespace {

TEST(NonZeroColumns, APairMayYieldOnlyWithThreeColumnsNonZeroInBoth) {
  const GeneTable table = test::make_table({{1, 2, 3, 0, 0},     // three non-zero values
                                            {0, 2, 3, 4, 0},     // shares two columns with gene 0
                                            {1, 0, 3, 4, -0.0},  // shares two with gene 0, two with gene 1
                                            {5, 5, 5, 5, 5},     // shares all with everyone's non-zeros
                                            {0, 0, 7, 0, 0}});
  EXPECT_TRUE(NonZeroColumns(table).may_yield(0));
  EXPECT_FALSE(NonZeroColumns(table).may_yield(4));
  const NonZeroColumns nonzero(table);
  EXPECT_FALSE(nonzero.may_yield(0, 1));
  EXPECT_FALSE(nonzero.may_yield(0, 2));
  EXPECT_FALSE(nonzero.may_yield(1, 2));
  EXPECT_TRUE(nonzero.may_yield(0, 3));
  EXPECT_TRUE(nonzero.may_yield(2, 3));
  EXPECT_FALSE(nonzero.may_yield(3, 4));
  // Masks span several words when there are more than 64 columns.
  std::vector<double> a(130, 0.0), b(130, 0.0);
  a[1] = a[70] = a[129] = 1;
  b[1] = b[70] = b[129] = 2;
  b[5] = 3;
  const GeneTable wide = test::make_table({a, b});
  EXPECT_TRUE(NonZeroColumns(wide).may_yield(0, 1));
  a[129] = 0;
  EXPECT_FALSE(NonZeroColumns(test::make_table({a, b})).may_yield(0, 1));
}

// A candidate 0 (or -0) in every selected column is told apart from one non-zero in any of them,
// also in the last word of a mask; such a candidate's literal r is NaN, never at the threshold.
TEST(NonZeroColumns, TellsACandidateZeroInEverySelectedColumn) {
  std::vector<double> zero_there(130, 1.0), one_late(130, 0.0), silent(130, 0.0);
  for (const std::size_t s : {3u, 70u, 128u}) zero_there[s] = s == 70 ? -0.0 : 0.0;
  one_late[128] = 2.5;
  const GeneTable table = test::make_table({zero_there, one_late, silent});
  const NonZeroColumns nonzero(table);
  std::vector<std::int32_t> flags(130, 0);
  flags[3] = flags[70] = flags[128] = 1;
  std::vector<std::uint64_t> mask;
  nonzero.column_mask(flags, mask);
  EXPECT_TRUE(nonzero.zero_over(0, mask));
  EXPECT_FALSE(nonzero.zero_over(1, mask));
  EXPECT_TRUE(nonzero.zero_over(2, mask));
  flags[4] = 1;
  nonzero.column_mask(flags, mask);
  EXPECT_FALSE(nonzero.zero_over(0, mask));

  MemberCorrelation seed;
  const std::vector<std::int32_t> columns = {3, 70, 128};
  const std::vector<double> member = [] {
    std::vector<double> row(130, 1.0);
    row[3] = 1.0, row[70] = 5.0, row[128] = 2.0;
    return row;
  }();
  seed.set(member.data(), columns);
  EXPECT_TRUE(std::isnan(seed.with(zero_there.data())));
}

}  // namespace
}  // namespace kova
