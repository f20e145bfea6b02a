#include "engine/search/literal_search.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/model/correlation.hpp"
#include "tests/support/collecting_sink.hpp"

namespace kova {
namespace {

using test::CollectingSink;
using test::FoundBicluster;
using test::make_table;
using Rows = std::vector<std::vector<double>>;

const Rows kWorkedExample = {{1, 2, 3, 4, 5}, {2, 4, 6, 8, 11}, {5, 1, 4, 2, 3}, {1, 3, 3, 4, 6}, {3, 1, 4, 1, 5}};

std::vector<FoundBicluster> search(const Rows& rows, double threshold, std::int32_t maximum) {
  const GeneTable table = make_table(rows);
  CollectingSink sink;
  const std::int32_t found = literal_search(table, threshold, maximum, sink);
  EXPECT_EQ(found, static_cast<std::int32_t>(sink.biclusters.size()));
  return sink.biclusters;
}

TEST(LiteralSearch, WorkedExampleSeedsThreeBiclustersFromTheFirstGene) {
  const std::vector<FoundBicluster> expected = {
      {1, {0, 1, 3}, {0, 1, 2, 3, 4}},
      {2, {0, 2}, {1, 3, 4}},  // samples 1 and 3 eliminated
      {3, {0, 4}, {0, 2, 4}},  // samples 4 and 2 eliminated
  };
  EXPECT_EQ(search(kWorkedExample, 0.9, 10), expected);
}

TEST(LiteralSearch, TheMaximumStopsTheSearchRightAfterItIsReached) {
  EXPECT_EQ(search(kWorkedExample, 0.9, 1).size(), 1u);
  EXPECT_EQ(search(kWorkedExample, 0.9, 2).size(), 2u);
  // M <= 0: at most one bicluster, seeded by gene 0.
  EXPECT_EQ(search(kWorkedExample, 0.9, 0).size(), 1u);
  EXPECT_EQ(search(kWorkedExample, 0.9, -5).size(), 1u);
}

TEST(LiteralSearch, ANonPositiveMaximumEndsAfterGeneZerosPartnersWhenItFindsNothing) {
  // Gene 0 is 0 everywhere, so none of its pairs yields; genes 1 and 2 would.
  const Rows rows = {{0, 0, 0, 0}, {1, 2, 3, 4}, {2, 4, 6, 8}};
  EXPECT_TRUE(search(rows, 0.9, 0).empty());
  EXPECT_EQ(search(rows, 0.9, 5).size(), 1u);
}

TEST(LiteralSearch, TooFewSamplesOrGenesYieldNothing) {
  EXPECT_TRUE(search({{1, 2}, {2, 4}, {3, 6}}, 0.5, 10).empty());
  EXPECT_TRUE(search({{1, 2, 3, 4}}, 0.5, 10).empty());
  EXPECT_TRUE(search({}, 0.5, 10).empty());
}

TEST(LiteralSearch, IdenticalRowsReachOneAtOnceAndKeepEveryColumn) {
  EXPECT_EQ(search({{1, 2, 3, 4, 5, 6}, {1, 2, 3, 4, 5, 6}}, 1.0, 10),
            (std::vector<FoundBicluster>{{1, {0, 1}, {0, 1, 2, 3, 4, 5}}}));
}

TEST(LiteralSearch, SelectedSamplesNeedAValueInBothGenes) {
  // Column 2 is 0 in gene 1 only: present for the sums, but not selected.
  const Rows rows = {{1, 2, 3, 4, 5}, {2, 4, 0, 8, 10}};
  const auto found = search(rows, -1.0, 10);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].samples, (std::vector<std::int32_t>{0, 1, 3, 4}));
}

TEST(LiteralSearch, ZerosInBothSeedsCountInTheDivisorButNotInTheSums) {
  // Column 0 is 0 in both genes: left out of the sums but counted in h = 4.
  const Rows rows = {{0, 1, 2, 3}, {0, 1, 2, 5}};
  PairSums sums;
  sums.add(1, 1);
  sums.add(2, 2);
  sums.add(3, 5);
  const double r4 = correlation(sums, 4);
  const double r3 = correlation(sums, 3);
  ASSERT_LT(r4, r3);
  const std::vector<FoundBicluster> kept = {{1, {0, 1}, {1, 2, 3}}};
  EXPECT_EQ(search(rows, r4, 10), kept);
  // Were the divisor the number of present columns (3), T = r3 would pass at once as well; with
  // h = 4 it fails and elimination starts, which leaves fewer columns.
  EXPECT_NE(search(rows, r3, 10), kept);
}

TEST(LiteralSearch, AnUnassignedGeneBelowTheSeedCanJoin) {
  // Gene 0 has two non-zero values, so none of its pairs selects three samples and it seeds
  // nothing; over the samples of the pair (1, 2) its stored row, zeros included, correlates.
  const Rows rows = {{1, 2, 0, 0}, {1, 2, 3, 4}, {2, 1, 4, 3}};
  EXPECT_EQ(search(rows, -1.0, 10), (std::vector<FoundBicluster>{{1, {1, 2, 0}, {0, 1, 2, 3}}}));
}

TEST(LiteralSearch, ACandidateMustCorrelateWithMembersAddedBeforeIt) {
  // Genes 2 and 3 each correlate with both seeds at T = 0.9, but not with each other.
  const Rows rows = {{1, 2, 3, 4, 5, 6}, {1, 2, 3, 4, 5, 6.5}, {1, 2, 3, 4, 6, 5}, {1, 2, 4, 3, 5, 6},
                     {6, 5, 4, 3, 2, 1}};
  const GeneTable table = make_table(rows);
  auto r = [&](int a, int b) {
    PairSums s;
    for (int k = 0; k < 6; ++k) s.add(table.row(a)[k], table.row(b)[k]);
    return correlation(s, 6);
  };
  // Just above r(2, 3): both candidates pass against the seeds, gene 3 fails against gene 2.
  const double threshold = std::nextafter(r(3, 2), 2.0);
  for (int candidate : {2, 3}) {
    ASSERT_GE(r(candidate, 0), threshold);
    ASSERT_GE(r(candidate, 1), threshold);
  }
  ASSERT_GE(r(0, 1), threshold);
  EXPECT_EQ(search(rows, threshold, 1), (std::vector<FoundBicluster>{{1, {0, 1, 2}, {0, 1, 2, 3, 4, 5}}}));
}

TEST(LiteralSearch, StepsWhereNoCandidateBeatsMinusOneStillLowerH) {
  // A row of zeros makes every r 0/0 = NaN: no column is ever chosen and the pair ends at h = 2.
  EXPECT_TRUE(search({{0, 0, 0, 0, 0}, {1, 2, 3, 4, 5}}, 0.5, 10).empty());
  // An exactly anticorrelated pair: every candidate is -1, so nothing is removed while h falls.
  // At h = 3 the five present columns with the divisor 3 make both products negative and r = +1:
  // the pair passes with all five columns. Removing a column, or keeping h, would not.
  EXPECT_EQ(search({{1, 2, 3, 4, 5}, {-1, -2, -3, -4, -5}}, 0.5, 10),
            (std::vector<FoundBicluster>{{1, {0, 1}, {0, 1, 2, 3, 4}}}));
}

TEST(LiteralSearch, NaNCandidatesAreNeverChosen) {
  // Every candidate that keeps the NaN column is NaN; the one that removes it reaches r = 1.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(search({{nan, 1, 2, 3}, {1, 2, 3, 4}}, 0.5, 10),
            (std::vector<FoundBicluster>{{1, {0, 1}, {1, 2, 3}}}));
}

TEST(LiteralSearch, HugeValuesWithATinySpreadLoseAllPrecisionAndGiveNaN) {
  EXPECT_TRUE(search({{1e300, 1e300, 1e300, 1e300}, {1e300, 1e300, 1e300, 1e300}}, 0.5, 10).empty());
}

}  // namespace
}  // namespace kova
