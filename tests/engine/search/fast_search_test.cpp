// The fast search against the literal one, bit for bit: every bicluster, its members and its
// samples, in order, on thousands of small matrices built to be hard, with 1, 2 and 8 workers.

#include "engine/search/fast_search.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <sstream>
#include <stop_token>

#include "engine/model/correlation.hpp"
#include "engine/search/literal_search.hpp"
#include "tests/support/collecting_sink.hpp"
#include "tests/support/hard_matrices.hpp"
#include "tests/support/vector_widths.hpp"

namespace kova {
namespace {

using test::CollectingSink;
using test::FoundBicluster;
using test::make_table;
using Rows = std::vector<std::vector<double>>;

std::vector<FoundBicluster> literal(const GeneTable& table, double threshold, std::int32_t maximum) {
  CollectingSink sink;
  const std::int32_t found = literal_search(table, threshold, maximum, sink);
  EXPECT_EQ(found, static_cast<std::int32_t>(sink.biclusters.size()));
  return sink.biclusters;
}

std::vector<FoundBicluster> fast(const GeneTable& table, double threshold, std::int32_t maximum, int workers) {
  CollectingSink sink;
  const std::int32_t found = fast_search(table, threshold, maximum, sink, {workers, nullptr, {}});
  EXPECT_EQ(found, static_cast<std::int32_t>(sink.biclusters.size()));
  return sink.biclusters;
}

std::string describe(const Rows& rows, double threshold, std::int32_t maximum) {
  std::ostringstream text;
  text.precision(17);
  text << "T = " << threshold << ", M = " << maximum << ", rows:\n";
  for (const auto& row : rows) {
    for (double v : row) text << v << ' ';
    text << '\n';
  }
  return text.str();
}

// Compares with 1, 2 and 8 workers; returns how many biclusters the literal search found.
std::size_t expect_same(const Rows& rows, double threshold, std::int32_t maximum) {
  const GeneTable table = make_table(rows);
  const auto expected = literal(table, threshold, maximum);
  for (int workers : {1, 2, 8}) {
    const auto got = fast(table, threshold, maximum, workers);
    if (got != expected) {
      ADD_FAILURE() << workers << " workers differ from the literal search; " << describe(rows, threshold, maximum);
      return expected.size();
    }
  }
  return expected.size();
}

using test::HardMatrices;

// Each comparison at every vector width the processor has.
class FastSearchAtWidth : public test::AtEachWidth {};
KOVA_AT_EACH_WIDTH(FastSearchAtWidth);

TEST_P(FastSearchAtWidth, MatchesTheLiteralSearchOnThousandsOfHardSmallMatrices) {
  HardMatrices matrices(20240611);
  std::size_t biclusters = 0;
  for (int round = 0; round < 2500 && !HasFailure(); ++round) {
    const Rows rows = matrices.next(10, 9);
    biclusters += expect_same(rows, matrices.threshold(rows), matrices.maximum());
  }
  // The comparison means something only if the matrices yield biclusters at all.
  EXPECT_GT(biclusters, 1000u);
}

TEST_P(FastSearchAtWidth, MatchesTheLiteralSearchOnLargerMatricesWhereEstimatesDecide) {
  HardMatrices matrices(77);
  std::size_t biclusters = 0;
  for (int round = 0; round < 120 && !HasFailure(); ++round) {
    const Rows rows = matrices.next(30, 40);
    biclusters += expect_same(rows, matrices.threshold(rows), 1000);
  }
  EXPECT_GT(biclusters, 100u);
}

TEST_P(FastSearchAtWidth, MatchesTheLiteralSearchOnZeroRichMatrices) {
  // Single-cell-like: most values 0, some genes 0 everywhere or with one or two values.
  std::mt19937_64 random(5);
  std::size_t biclusters = 0;
  for (int round = 0; round < 300 && !HasFailure(); ++round) {
    const int genes = 2 + static_cast<int>(random() % 20);
    const int samples = 3 + static_cast<int>(random() % 12);
    const double density = 0.05 + static_cast<double>(random() % 50) / 100.0;
    Rows rows(static_cast<std::size_t>(genes), std::vector<double>(static_cast<std::size_t>(samples), 0.0));
    for (auto& row : rows) {
      for (double& v : row) {
        if (std::uniform_real_distribution<double>(0, 1)(random) < density) v = 1.0 + static_cast<double>(random() % 5);
      }
    }
    biclusters += expect_same(rows, 0.5 + static_cast<double>(random() % 50) / 100.0, 1000);
  }
  EXPECT_GT(biclusters, 50u);
}

// The literal search's own edge cases, each compared with the fast search.
TEST_P(FastSearchAtWidth, MatchesTheLiteralSearchOnItsEdgeCases) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    Rows rows;
    double threshold;
  };
  const std::vector<Case> cases = {
      {{{1, 2, 3, 4, 5}, {2, 4, 6, 8, 11}, {5, 1, 4, 2, 3}, {1, 3, 3, 4, 6}, {3, 1, 4, 1, 5}}, 0.9},
      {{{0, 0, 0, 0}, {1, 2, 3, 4}, {2, 4, 6, 8}}, 0.9},
      {{{1, 2}, {2, 4}, {3, 6}}, 0.5},
      {{{1, 2, 3, 4, 5, 6}, {1, 2, 3, 4, 5, 6}}, 1.0},
      {{{1, 2, 3, 4, 5}, {2, 4, 0, 8, 10}}, -1.0},
      {{{0, 1, 2, 3}, {0, 1, 2, 5}}, 0.97},
      {{{1, 2, 0, 0}, {1, 2, 3, 4}, {2, 1, 4, 3}}, -1.0},
      {{{1, 2, 3, 4, 5}, {-1, -2, -3, -4, -5}}, 0.5},
      {{{nan, 1, 2, 3}, {1, 2, 3, 4}}, 0.5},
      {{{inf, 1, 2, 3, 4}, {1, 2, 3, 4, 5}, {1, 2, 3, 4, 6}}, 0.5},
      {{{1e300, 1e300, 1e300, 1e300}, {1e300, 1e300, 1e300, 1e300}}, 0.5},
      {{{1e-310, 2e-310, 3e-310, 5e-310}, {1e-310, 2e-310, 3e-310, 4e-310}}, 0.5},
      {{{-0.0, 1, 2, 3, 4}, {0.0, 1, 2, 3, 5}, {-0.0, -0.0, -0.0, -0.0, 1}}, 0.9},
  };
  for (const Case& c : cases) {
    for (std::int32_t maximum : {10, 1, 0}) expect_same(c.rows, c.threshold, maximum);
  }
}

TEST(FastSearch, ReportsProgressUpToEverySeedDone) {
  struct Recorder final : SearchProgress {
    void update(const SearchStatus& status) override { statuses.push_back(status); }
    std::vector<SearchStatus> statuses;
  } recorder;
  const GeneTable table = make_table({{1, 2, 3, 4, 5}, {2, 4, 6, 8, 11}, {5, 1, 4, 2, 3}, {1, 3, 3, 4, 6}});
  CollectingSink sink;
  fast_search(table, 0.9, 10, sink, {2, &recorder, {}});
  ASSERT_FALSE(recorder.statuses.empty());
  for (std::size_t k = 1; k < recorder.statuses.size(); ++k) {
    EXPECT_GE(recorder.statuses[k].seeds_done, recorder.statuses[k - 1].seeds_done);
    EXPECT_GE(recorder.statuses[k].found, recorder.statuses[k - 1].found);
  }
  const SearchStatus& last = recorder.statuses.back();
  EXPECT_EQ(last.seeds_done, 4);
  EXPECT_EQ(last.genes, 4);
  EXPECT_EQ(last.found, static_cast<std::int32_t>(sink.biclusters.size()));
  EXPECT_EQ(last.work_left, 0.0);
}

// A stop ends the search with SearchStopped, whether asked between batches (here from the progress
// callback after a few updates) or by another thread in the middle of a batch; what reached the
// sink is the start of the whole run, so a caller can tell a stopped run from a finished one.
TEST(FastSearch, AStopEndsTheSearchWithWhatItFoundSoFar) {
  Rows rows;
  for (int g = 0; g < 300; ++g) {
    std::vector<double> row(40);
    for (int s = 0; s < 40; ++s) row[s] = std::sin(0.1 * g * s + g) + 0.01 * s;
    rows.push_back(row);
  }
  const GeneTable table = make_table(rows);
  const std::vector<FoundBicluster> whole = literal(table, 0.5, 1000);
  ASSERT_GT(whole.size(), 20u);

  for (const int workers : {1, 2}) {
    std::stop_source source;
    struct StopAfter final : SearchProgress {
      explicit StopAfter(std::stop_source& s) : source(s) {}
      void update(const SearchStatus&) override {
        if (++updates == 5) source.request_stop();
      }
      std::stop_source& source;
      int updates = 0;
    } stopper(source);
    CollectingSink sink;
    EXPECT_THROW(fast_search(table, 0.5, 1000, sink, {workers, &stopper, source.get_token()}), SearchStopped);
    EXPECT_EQ(stopper.updates, 5);
    ASSERT_LT(sink.biclusters.size(), whole.size());
    for (std::size_t k = 0; k < sink.biclusters.size(); ++k) EXPECT_EQ(sink.biclusters[k], whole[k]);
  }

  std::stop_source stopped;
  stopped.request_stop();
  CollectingSink none;
  EXPECT_THROW(fast_search(table, 0.5, 1000, none, {2, nullptr, stopped.get_token()}), SearchStopped);
  EXPECT_TRUE(none.biclusters.empty());
}

}  // namespace
}  // namespace kova
