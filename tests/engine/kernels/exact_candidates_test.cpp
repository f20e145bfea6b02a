#include "engine/kernels/exact_candidates.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "engine/model/correlation.hpp"
#include "tests/support/vector_widths.hpp"

namespace kova {
namespace {

class ExactCandidates : public test::AtEachWidth {};
KOVA_AT_EACH_WIDTH(ExactCandidates);

// Each candidate's r, lanes side by side, has the bits of its own ascending sums: on rows whose
// sums round differently in every order (mixed magnitudes, huge offsets), with NaN and infinity,
// for any set of candidates (first, last, neighbours, fewer than a vector's lanes, many groups).
TEST_P(ExactCandidates, GiveTheBitsOfOneCandidateAtATime) {
  std::mt19937_64 random(41);
  std::normal_distribution<double> normal;
  std::size_t compared = 0;
  for (int round = 0; round < 500; ++round) {
    const std::size_t m = 1 + static_cast<std::size_t>(random() % 60);
    std::vector<double> x(m), y(m);
    for (std::size_t k = 0; k < m; ++k) {
      x[k] = std::ldexp(normal(random), static_cast<int>(random() % 60) - 30) + (round % 3 == 0 ? 1e12 : 0.0);
      y[k] = random() % 5 == 0 ? x[k] : normal(random);
    }
    if (round % 17 == 0) x[random() % m] = round % 2 ? NAN : INFINITY;
    std::vector<std::size_t> positions;
    for (std::size_t k = 0; k < m; ++k) {
      if (random() % 3 == 0 || k + 1 == m) positions.push_back(k);
    }
    const auto divisor = static_cast<std::int32_t>(m + random() % 3) - 1;
    std::vector<double> r(positions.size());
    exact_candidates(x, y, positions, divisor, r.data(), width());
    for (std::size_t i = 0; i < positions.size(); ++i) {
      PairSums sums;
      for (std::size_t k = 0; k < m; ++k) {
        if (k != positions[i]) sums.add(x[k], y[k]);
      }
      const double expected = correlation(sums, divisor);
      ASSERT_TRUE(std::memcmp(&expected, &r[i], sizeof expected) == 0 || (std::isnan(expected) && std::isnan(r[i])))
          << "round " << round << ", position " << positions[i] << ": " << r[i] << " instead of " << expected;
      ++compared;
    }
  }
  EXPECT_GT(compared, 3000u);
}

}  // namespace
}  // namespace kova
