// The null matrices' random numbers, bit for bit: the values below come from an independent
// implementation of splitmix64 and xoshiro256** (Python, checked against the published first
// outputs: splitmix64 from 0 gives 0xe220a8397b1dcdaf, xoshiro256** from {1, 2, 3, 4} 11520).
// Any platform or library that drew differently would give other p-values for the same seed.

#include "engine/meaning/permutation_stream.hpp"

#include <gtest/gtest.h>

#include <map>
#include <numeric>
#include <vector>

namespace kova {
namespace {

TEST(PermutationStream, DrawsTheSameNumbersOnEveryPlatform) {
  PermutationStream stream(0);
  EXPECT_EQ(stream.next(), 0x99ec5f36cb75f2b4ULL);
  EXPECT_EQ(stream.next(), 0xbf6e1f784956452aULL);
  EXPECT_EQ(stream.next(), 0x1a5f849d4933e6e0ULL);

  EXPECT_EQ(null_run_key(1, 0), 0x5e41ab087439611eULL);
  EXPECT_EQ(null_run_key(1, 7), 0x7716da39cba275b2ULL);
  EXPECT_EQ(null_run_key(42, 3), 0xfa4f945599f9054aULL);

  PermutationStream draws(12345);
  std::vector<std::uint32_t> below;
  for (int i = 0; i < 8; ++i) below.push_back(draws.below(1000));
  EXPECT_EQ(below, (std::vector<std::uint32_t>{743, 130, 963, 48, 555, 10, 159, 295}));

  PermutationStream shuffler(null_run_key(1, 0));
  std::vector<double> values(10);
  std::iota(values.begin(), values.end(), 0.0);
  shuffler.shuffle(values);
  EXPECT_EQ(values, (std::vector<double>{5, 4, 9, 1, 6, 2, 7, 0, 8, 3}));
}

TEST(PermutationStream, ShufflesUniformly) {
  // 60000 shuffles of three values: each of the six orders about 10000 times (a standard
  // deviation of 91; a biased draw such as a plain remainder of a small range shows at once).
  PermutationStream stream(7);
  std::map<std::vector<double>, int> orders;
  for (int i = 0; i < 60000; ++i) {
    std::vector<double> values = {0, 1, 2};
    stream.shuffle(values);
    ++orders[values];
  }
  ASSERT_EQ(orders.size(), 6u);
  for (const auto& [order, count] : orders) EXPECT_NEAR(count, 10000, 500);

  // A bound just above 2^31: half the 32-bit values would fall in the lower half twice as often
  // without the rejection.
  const std::uint64_t bound = (std::uint64_t{1} << 31) + (std::uint64_t{1} << 30);
  int low = 0;
  for (int i = 0; i < 30000; ++i) low += stream.below(bound) < bound / 2 ? 1 : 0;
  EXPECT_NEAR(low, 15000, 500);
}

}  // namespace
}  // namespace kova
