// Significance by permutation: planted modules stand out, noise does not, and the p-values are the
// same whatever the threads or the vector width.

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "tests/engine/meaning/planted_matrices.hpp"
#include "tests/support/vector_widths.hpp"

namespace kova {
namespace {

RunSettings settings_for(const GeneTable& table, double threshold, int threads = 0) {
  return {table.genes(), table.samples(), threshold, 1'000'000, threads};
}

TEST(Significance, APlantedModuleOfEverySizeStandsOut) {
  for (const std::int32_t module : {3, 8, 20}) {
    const GeneTable table = test::planted_module(module, 120, 30, 1000 + static_cast<std::uint64_t>(module));
    const RunSettings settings = settings_for(table, 0.9);
    const std::vector<BiclusterMembers> found = test::biclusters_of(table, settings);
    ASSERT_FALSE(found.empty());
    // The first seed meets the module first: its bicluster is the module over every sample.
    std::vector<std::int32_t> genes = found[0].genes;
    std::sort(genes.begin(), genes.end());
    ASSERT_EQ(genes.size(), static_cast<std::size_t>(module)) << module;
    EXPECT_EQ(genes.back(), module - 1);
    EXPECT_EQ(found[0].samples.size(), 30u);

    const std::vector<Significance> rated = significance(table, settings, found, {99, 5});
    ASSERT_EQ(rated.size(), found.size());
    EXPECT_LE(rated[0].p_value, 0.01) << module;
    EXPECT_DOUBLE_EQ(rated[0].p_value, 0.01);  // no null run came near it: 1 / (99 + 1)
    EXPECT_LT(rated[0].expected, 0.01);
  }
}

// At most 5 % of a noise matrix's biclusters may be called significant at 0.05.
void expect_noise_stays_quiet(const GeneTable& table, const char* what) {
  const RunSettings settings = settings_for(table, 0.9);
  const std::vector<BiclusterMembers> found = test::biclusters_of(table, settings);
  ASSERT_GE(found.size(), 20u) << what;
  const std::vector<Significance> rated = significance(table, settings, found, {99, 11});
  const auto called =
      std::count_if(rated.begin(), rated.end(), [](const Significance& s) { return s.p_value <= 0.05; });
  EXPECT_LE(static_cast<double>(called), 0.05 * static_cast<double>(found.size()))
      << what << ": " << called << " of " << found.size();
  // Noise is what the null runs make: a typical bicluster of it turns up in them many times.
  std::vector<double> expected;
  for (const Significance& s : rated) expected.push_back(s.expected);
  std::nth_element(expected.begin(), expected.begin() + static_cast<std::ptrdiff_t>(expected.size() / 2),
                   expected.end());
  EXPECT_GT(expected[expected.size() / 2], 1.0) << what;
}

TEST(Significance, NoiseIsNotCalledSignificant) {
  for (std::uint64_t seed : {21u, 22u}) {
    expect_noise_stays_quiet(test::planted_module(0, 150, 30, seed), "normal noise");
    expect_noise_stays_quiet(test::zero_rich_noise(150, 40, seed), "zero-rich noise");
  }
}

TEST(Significance, TellsProgressOnTheCallingThreadAndStops) {
  const GeneTable table = test::planted_module(5, 80, 20, 3);
  const RunSettings settings = settings_for(table, 0.9, 2);
  const std::vector<BiclusterMembers> found = test::biclusters_of(table, settings);
  std::vector<std::int32_t> told;
  const std::thread::id caller = std::this_thread::get_id();
  significance(table, settings, found, {12, 1}, [&](std::int32_t done, std::int32_t runs) {
    EXPECT_EQ(std::this_thread::get_id(), caller);
    EXPECT_EQ(runs, 12);
    told.push_back(done);
  });
  std::vector<std::int32_t> every(12);
  std::iota(every.begin(), every.end(), 1);
  EXPECT_EQ(told, every);

  std::stop_source stop;
  EXPECT_THROW(significance(
                   table, settings, found, {1000, 1},
                   [&](std::int32_t done, std::int32_t) {
                     if (done == 3) stop.request_stop();
                   },
                   stop.get_token()),
               SearchStopped);
  // A progress that throws (an interrupt from R or Python) ends the runs with its exception.
  EXPECT_THROW(significance(table, settings, found, {1000, 1},
                            [](std::int32_t, std::int32_t) { throw std::runtime_error("interrupted"); }),
               std::runtime_error);
}

TEST(Significance, RefusesWhatItCannotRun) {
  const GeneTable table = test::planted_module(3, 10, 8, 4);
  const std::vector<BiclusterMembers> none;
  EXPECT_THROW(significance(table, settings_for(table, 0.9), none, {0, 1}), std::invalid_argument);
  EXPECT_THROW(significance(table, settings_for(table, 1.5), none, {5, 1}), RunSettingsError);
  EXPECT_THROW(significance(table, {9, 8, 0.9, 10, 1}, none, {5, 1}), std::invalid_argument);
}

// The same seed gives the same p-values with 1 and 2 threads at every width, and another seed
// other null runs.
class SignificanceAtWidth : public test::AtEachWidth {};
KOVA_AT_EACH_WIDTH(SignificanceAtWidth);

TEST_P(SignificanceAtWidth, TheSameSeedGivesTheSamePValuesWhateverTheThreads) {
  const GeneTable table = test::planted_module(6, 150, 25, 77);
  const std::vector<BiclusterMembers> found = test::biclusters_of(table, settings_for(table, 0.8));
  ASSERT_GT(found.size(), 10u);
  const std::vector<Significance> one = significance(table, settings_for(table, 0.8, 1), found, {40, 9});
  const std::vector<Significance> two = significance(table, settings_for(table, 0.8, 2), found, {40, 9});
  ASSERT_TRUE(use_vector_width(0));
  const std::vector<Significance> baseline = significance(table, settings_for(table, 0.8, 2), found, {40, 9});
  const std::vector<Significance> other_seed = significance(table, settings_for(table, 0.8, 2), found, {40, 10});
  ASSERT_TRUE(use_vector_width(width()));
  bool seed_matters = false;
  for (std::size_t i = 0; i < found.size(); ++i) {
    EXPECT_EQ(one[i].p_value, two[i].p_value) << i;
    EXPECT_EQ(one[i].expected, two[i].expected) << i;
    EXPECT_EQ(one[i].p_value, baseline[i].p_value) << i;
    EXPECT_EQ(one[i].expected, baseline[i].expected) << i;
    seed_matters = seed_matters || other_seed[i].expected != one[i].expected;
  }
  EXPECT_TRUE(seed_matters);
}

}  // namespace
}  // namespace kova
