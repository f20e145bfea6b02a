// The one check of a run's numbers, which every door calls: what it refuses, in which words.

#include "kova/run_settings.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "tests/support/refusal.hpp"

namespace kova {
namespace {

std::string refusal(const RunSettings& settings) {
  return test::refusal_of<RunSettingsError>([&] { validate(settings); });
}

TEST(RunSettings, RefusesWhatTheConsoleRefusesInItsWords) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  struct Case {
    RunSettings settings;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{-1, 5, 0.9, 10, 0}, "the number of genes is negative"},
      {{5, -1, 0.9, 10, 0}, "the number of samples is negative"},
      {{5, 5, 85, 10, 0}, "the correlation threshold 85 lies outside -1 to 1: did you mean 0.85?"},
      {{5, 5, -5, 10, 0}, "the correlation threshold -5 lies outside -1 to 1: did you mean -0.05?"},
      {{5, 5, 1.0000000000000002, 10, 0}, "the correlation threshold 1.0000000000000002 lies outside -1 to 1"},
      {{5, 5, 250.5, 10, 0}, "the correlation threshold 250.5 lies outside -1 to 1"},
      {{5, 5, std::nan(""), 10, 0}, "the correlation threshold 'nan' is not a number"},
      {{5, 5, kInf, 10, 0}, "the correlation threshold 'inf' is not a number"},
      {{5, 5, -kInf, 10, 0}, "the correlation threshold '-inf' is not a number"},
      {{5, 5, 0.9, 10, -1}, "the number of threads -1 lies outside 0 to 1024; 0 takes one per core"},
      {{5, 5, 0.9, 10, 1025}, "the number of threads 1025 lies outside 0 to 1024; 0 takes one per core"},
      {{5, 5, 0.9, 10, std::numeric_limits<int>::max()}, "the number of threads 2147483647 lies outside 0 to 1024"},
  };
  for (const Case& c : cases) EXPECT_EQ(refusal(c.settings).substr(0, c.message.size()), c.message);
}

TEST(RunSettings, TakesEveryRunTheSearchCanDo) {
  for (const RunSettings& settings :
       {RunSettings{0, 0, -1.0, std::numeric_limits<std::int32_t>::min(), 0}, RunSettings{5, 3, 1.0, 0, kMostThreads},
        RunSettings{2, 3, -0.0, -7, 1}, RunSettings{12625, 128, 0x1p-1074, 1, 2}}) {
    EXPECT_EQ(refusal(settings), "accepted") << settings.threshold;
  }
}

}  // namespace
}  // namespace kova
