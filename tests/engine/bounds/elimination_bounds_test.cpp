#include "engine/bounds/elimination_bounds.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace kova {
namespace {

struct StepCheck {
  std::size_t bounded = 0;   // candidates whose estimate was bounded
  double worst_ratio = 0.0;  // largest |literal - estimate| / spread seen
  double spread = 0.0;
};

// One elimination step over the rows: every candidate's literal r (its own ascending sums) against
// the estimate and the step's spread.
StepCheck check_step(const std::vector<double>& x, const std::vector<double>& y, std::int32_t divisor) {
  const std::size_t m = x.size();
  PairSums step;
  MagnitudeSums magnitudes;
  for (std::size_t k = 0; k < m; ++k) {
    step.add(x[k], y[k]);
    magnitudes.x += std::fabs(x[k]);
    magnitudes.y += std::fabs(y[k]);
    magnitudes.xy += std::fabs(x[k] * y[k]);
  }
  const double g = static_cast<double>(m) * 0x1p-53;  // the ascending sums' drift
  const SumDrift drift{g * magnitudes.x, g * magnitudes.y, g * step.sxx, g * step.syy, g * magnitudes.xy};
  const FormulaBounds bounds = formula_bounds(step, magnitudes, drift, m, divisor);
  std::vector<CandidateEstimate> estimates;
  double min_a = INFINITY, min_b = INFINITY, max_abs_r = 0.0;
  for (std::size_t k = 0; k < m; ++k) {
    estimates.push_back(estimate_without(step, x[k], y[k], 1.0 / divisor));
    const CandidateEstimate& e = estimates.back();
    if (e.a > kBoundedRatio * bounds.a && e.b > kBoundedRatio * bounds.b && std::isfinite(e.r)) {
      min_a = std::min(min_a, e.a);
      min_b = std::min(min_b, e.b);
      max_abs_r = std::max(max_abs_r, std::fabs(e.r));
    }
  }
  StepCheck check;
  check.spread = correlation_spread(bounds, min_a, min_b, max_abs_r);
  for (std::size_t k = 0; k < m; ++k) {
    const CandidateEstimate& e = estimates[k];
    if (!(e.a > kBoundedRatio * bounds.a && e.b > kBoundedRatio * bounds.b && std::isfinite(e.r))) continue;
    PairSums exact;
    for (std::size_t s = 0; s < m; ++s) {
      if (s != k) exact.add(x[s], y[s]);
    }
    const double literal = correlation(exact, divisor);
    ++check.bounded;
    check.worst_ratio = std::max(check.worst_ratio, std::fabs(literal - e.r) / check.spread);
  }
  return check;
}

// Rows whose sums cancel badly are where a bound that is too tight would show: a large common
// offset with a small spread, mixed signs, magnitudes from tiny to huge.
TEST(EliminationBounds, EveryBoundedEstimateLiesWithinTheSpreadOfTheLiteralCorrelation) {
  std::mt19937_64 random(42);
  std::size_t bounded = 0;
  double worst = 0.0;
  for (int round = 0; round < 4000; ++round) {
    const std::size_t m = 3 + random() % 200;
    const double offset = std::ldexp(1.0, static_cast<int>(random() % 40)) * (random() % 2 ? 1 : 0);
    const double scale = std::ldexp(1.0, static_cast<int>(random() % 200) - 100);
    std::uniform_real_distribution<double> spread(-1.0, 1.0);
    std::vector<double> x(m), y(m);
    for (std::size_t k = 0; k < m; ++k) {
      x[k] = scale * (offset + spread(random));
      y[k] = scale * (offset * 0.5 + spread(random) + 0.7 * x[k] / scale);
    }
    const auto divisor = static_cast<std::int32_t>(m + random() % 5);
    const StepCheck check = check_step(x, y, divisor);
    bounded += check.bounded;
    worst = std::max(worst, check.worst_ratio);
  }
  EXPECT_GT(bounded, 100000u);  // the bound was put to the test, not bypassed
  EXPECT_LE(worst, 1.0);
}

TEST(EliminationBounds, OrdinaryExpressionRowsGetASpreadFarBelowTheGapsBetweenCandidates) {
  std::mt19937_64 random(7);
  std::normal_distribution<double> noise(8.0, 1.5);
  std::vector<double> x(128), y(128);
  for (std::size_t k = 0; k < x.size(); ++k) {
    x[k] = noise(random);
    y[k] = 0.5 * x[k] + noise(random);
  }
  const StepCheck check = check_step(x, y, 127);
  EXPECT_EQ(check.bounded, 128u);
  EXPECT_LT(check.spread, 1e-9);
  EXPECT_LE(check.worst_ratio, 1.0);
}

TEST(EliminationBounds, SumsTooLargeToBoundLeaveNoCandidateBounded) {
  const std::vector<double> huge = {1e300, 2e300, 3e300, 4e300};
  EXPECT_EQ(check_step(huge, huge, 3).bounded, 0u);
  // A tiny spread on a large offset: A is far below its bound, so nothing is trusted.
  const std::vector<double> flat = {1e16, 1e16 + 2, 1e16 + 4, 1e16 + 2};
  EXPECT_EQ(check_step(flat, flat, 3).bounded, 0u);
}

}  // namespace
}  // namespace kova
