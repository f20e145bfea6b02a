#include "viewer/core/bicluster_measures.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "tests/support/temp_dir.hpp"
#include "tests/viewer/written_run.hpp"

namespace kova::viewer {
namespace {

// The textbook one-pass form in long double, independent of the two-pass code under test.
double textbook_r(std::span<const double> x, std::span<const double> y, const std::vector<std::int32_t>& over) {
  long double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
  for (std::int32_t s : over) {
    const long double a = x[static_cast<std::size_t>(s)];
    const long double b = y[static_cast<std::size_t>(s)];
    sx += a;
    sy += b;
    sxx += a * a;
    syy += b * b;
    sxy += a * b;
  }
  const long double n = static_cast<long double>(over.size());
  return static_cast<double>((n * sxy - sx * sy) / std::sqrt((n * sxx - sx * sx) * (n * syy - sy * sy)));
}

TEST(BiclusterMeasures, TheWorkedExampleSummedUp) {
  test::TempDir dir;
  const LoadedRun run = load_run(test::write_run(dir.path(), test::kWorkedRows, 0.9));
  const std::atomic<bool> never = false;
  const std::vector<PlainCorrelation> all = plain_correlations(run, never);
  ASSERT_EQ(all.size(), 3u);
  // g1, g2, g4 over all five samples: three pairs; the middle one is the median.
  EXPECT_EQ(all[0].pairs, 3);
  EXPECT_EQ(all[0].undefined, 0);
  EXPECT_NEAR(all[0].smallest, 0.9574271077563381, 1e-15);
  EXPECT_NEAR(all[0].median, 0.9692554027538414, 1e-15);
  EXPECT_NEAR(all[0].largest, 0.9958932064677039, 1e-15);
  // g1 and g5 over samples 1, 3, 5: 1, 3, 5 against 3, 4, 5 correlate exactly.
  EXPECT_EQ(all[2].pairs, 1);
  EXPECT_NEAR(all[2].smallest, 1.0, 1e-15);
}

TEST(BiclusterMeasures, AgreesWithTheTextbookFormOnRandomRows) {
  std::mt19937 random(7);
  std::normal_distribution<double> value(5.0, 2.0);
  std::vector<std::vector<double>> rows(9, std::vector<double>(20));
  for (auto& row : rows) {
    for (double& v : row) v = value(random);
  }
  const GeneTable table = test::make_table(rows);
  const std::vector<std::int32_t> genes = {0, 2, 3, 5, 6, 8};  // 15 pairs: an odd count
  const std::vector<std::int32_t> samples = {1, 2, 4, 7, 8, 11, 15, 19};
  std::vector<double> expected;
  for (std::size_t i = 0; i < genes.size(); ++i) {
    for (std::size_t j = i + 1; j < genes.size(); ++j)
      expected.push_back(textbook_r(table.row(genes[i]), table.row(genes[j]), samples));
  }
  std::sort(expected.begin(), expected.end());
  const PlainCorrelation m = plain_correlation(table, genes, samples);
  EXPECT_EQ(m.pairs, 15);
  EXPECT_NEAR(m.smallest, expected.front(), 1e-13);
  EXPECT_NEAR(m.median, expected[7], 1e-13);
  EXPECT_NEAR(m.largest, expected.back(), 1e-13);

  // Four genes, six pairs: the median lies halfway between the third and fourth.
  const std::vector<std::int32_t> four = {0, 1, 2, 3};
  expected.clear();
  for (std::size_t i = 0; i < 4; ++i) {
    for (std::size_t j = i + 1; j < 4; ++j)
      expected.push_back(textbook_r(table.row(four[i]), table.row(four[j]), samples));
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_NEAR(plain_correlation(table, four, samples).median, (expected[2] + expected[3]) / 2, 1e-13);
}

TEST(BiclusterMeasures, AConstantGeneLeavesItsPairsUndefined) {
  // Gene 3 is constant over samples 0..2 (not over all), gene 4 holds a value that is not finite.
  const GeneTable table =
      test::make_table({{1, 2, 3, 9}, {2, 4, 7, 1}, {3, 1, 2, 5}, {4, 4, 4, 8}, {1, INFINITY, 3, 4}});
  const std::vector<std::int32_t> samples = {0, 1, 2};
  PlainCorrelation m = plain_correlation(table, std::vector<std::int32_t>{0, 1, 3}, samples);
  EXPECT_EQ(m.pairs, 3);
  EXPECT_EQ(m.undefined, 2);
  EXPECT_NEAR(m.smallest, textbook_r(table.row(0), table.row(1), samples), 1e-14);
  EXPECT_EQ(m.smallest, m.largest);

  m = plain_correlation(table, std::vector<std::int32_t>{3, 4}, samples);
  EXPECT_EQ(m.undefined, 1);
  EXPECT_TRUE(std::isnan(m.smallest) && std::isnan(m.median) && std::isnan(m.largest));
  // Over all four samples gene 3 is no longer constant.
  EXPECT_FALSE(std::isnan(plain_r(table.row(0), table.row(3), std::vector<std::int32_t>{0, 1, 2, 3})));
}

TEST(BiclusterMeasures, StopsWhenAsked) {
  test::TempDir dir;
  const LoadedRun run = load_run(test::write_run(dir.path(), test::kWorkedRows, 0.9));
  const std::atomic<bool> stop = true;
  EXPECT_TRUE(plain_correlations(run, stop).empty());
}

}  // namespace
}  // namespace kova::viewer
