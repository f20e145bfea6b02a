#include "engine/kernels/candidate_estimates.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "engine/bounds/elimination_bounds.hpp"
#include "tests/support/vector_widths.hpp"

namespace kova {
namespace {

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Rows whose estimates are often NaN, infinite, unbounded or tied (repeated columns).
struct Rows {
  std::vector<double> x, y;
  PairSums step;
  double inverse = 0.0;
};
Rows random_rows(std::mt19937_64& random, int round) {
  std::normal_distribution<double> normal;
  Rows rows;
  const std::size_t m = 1 + static_cast<std::size_t>(random() % 40);
  for (std::size_t k = 0; k < m; ++k) {
    double x = round % 4 == 0 ? 1e9 + normal(random) : normal(random);
    double y = random() % 5 == 0 ? x : round % 7 == 0 ? 0.0 : normal(random);
    if (k > 0 && random() % 4 == 0) {  // a repeated column, the same estimate or one a hair apart
      x = rows.x[k - 1] * (random() % 2 == 0 ? 1.0 : 1.0 + 1e-7);
      y = rows.y[k - 1];
    }
    if (round % 19 == 0 && k == 0) x = 1e200;
    if (round % 23 == 1) x = std::ldexp(x, 480);  // products near the ends of the bounded range
    if (round % 23 == 2) x = std::ldexp(x, -480);
    rows.x.push_back(x);
    rows.y.push_back(y);
  }
  if (round % 9 == 0) std::fill(rows.y.begin(), rows.y.end(), 3.0);
  for (std::size_t k = 0; k < m; ++k) rows.step.add(rows.x[k], rows.y[k]);
  rows.inverse = 1.0 / static_cast<double>(m + 2);
  return rows;
}

// The bounded test as the header states it, candidate by candidate.
bool bounded(const EstimateParts<double>& p, double cut_a, double cut_b) {
  const double product = p.a * p.b;
  return p.a > cut_a && p.b > cut_b && product >= 0x1p-1000 && product <= 0x1p1000 && std::fabs(p.num) < 0x1p500;
}

class CandidateEstimatesAtWidth : public test::AtEachWidth {};
KOVA_AT_EACH_WIDTH(CandidateEstimatesAtWidth);

// Every instruction width bounds the same candidates, approximates each within the stated error
// of estimate_without, and gives the same extremes as the baseline, bit for bit, none looser than
// the bounded candidates' own.
TEST_P(CandidateEstimatesAtWidth, ApproximateTheOneCandidateEstimate) {
  std::mt19937_64 random(23);
  for (int round = 0; round < 400; ++round) {
    const Rows rows = random_rows(random, round);
    const std::size_t m = rows.x.size();
    const double cut_a = round % 3 == 0 ? 0.0 : round % 11 == 0 ? NAN : 0.5;
    const double cut_b = round % 5 == 0 ? 1e30 : round % 13 == 0 ? NAN : round % 17 == 0 ? INFINITY : 0.25;
    EstimateSummary expected{INFINITY, INFINITY, 0.0, -INFINITY};
    double best = -INFINITY;
    for (std::size_t k = 0; k < m; ++k) {
      const EstimateParts<double> p = estimate_parts(rows.step, rows.x[k], rows.y[k], rows.inverse);
      if (!bounded(p, cut_a, cut_b)) continue;
      expected.min_a = std::min(expected.min_a, p.a);
      expected.min_b = std::min(expected.min_b, p.b);
      expected.max_abs_num = std::max(expected.max_abs_num, std::fabs(p.num));
      best = std::max(best, estimate_without(rows.step, rows.x[k], rows.y[k], rows.inverse).r);
    }
    std::vector<double> baseline(m);
    const EstimateSummary reference =
        estimate_candidates({rows.step, rows.x, rows.y, rows.inverse}, cut_a, cut_b, baseline.data(), 0);
    {
      const int width = this->width();
      std::vector<double> approx(m);
      const EstimateSummary got =
          estimate_candidates({rows.step, rows.x, rows.y, rows.inverse}, cut_a, cut_b, approx.data(), width);
      double top = -INFINITY;
      for (std::size_t k = 0; k < m; ++k) {
        const EstimateParts<double> p = estimate_parts(rows.step, rows.x[k], rows.y[k], rows.inverse);
        if (!bounded(p, cut_a, cut_b)) {
          ASSERT_TRUE(std::isnan(approx[k])) << "width " << width << ", candidate " << k << ", round " << round;
          continue;
        }
        const double e = estimate_without(rows.step, rows.x[k], rows.y[k], rows.inverse).r;
        ASSERT_LE(std::fabs(approx[k] - e), kApproximation * std::fabs(e) + 0x1p-1000)
            << "width " << width << ", candidate " << k << ", round " << round;
        top = std::max(top, approx[k]);
      }
      // The extremes may take in candidates whose other parts are NaN, never in a way that
      // loosens what the spread needs.
      EXPECT_LE(got.min_a, expected.min_a) << width;
      EXPECT_LE(got.min_b, expected.min_b) << width;
      EXPECT_GE(got.max_abs_num, expected.max_abs_num) << width;
      if (expected.min_a < INFINITY) {
        EXPECT_GT(got.min_a, cut_a) << width;
        EXPECT_GT(got.min_b, cut_b) << width;
      }
      EXPECT_TRUE(same_bits(got.min_a, reference.min_a) && same_bits(got.min_b, reference.min_b) &&
                  same_bits(got.max_abs_num, reference.max_abs_num))
          << "width " << width << " differs from the baseline, round " << round;
      EXPECT_TRUE(same_bits(got.top, top)) << width;
      EXPECT_LE(best, largest_estimate(got)) << width;
    }
  }
}

// Candidates whose products A B lie on both sides of 2^1000 while |num| stays small: the fast
// path's check of the largest product (from the step's sums) must leave exactly those above
// unbounded.
TEST_P(CandidateEstimatesAtWidth, ProductsOnBothSidesOfTheLargestBoundedOne) {
  std::mt19937_64 random(31);
  std::normal_distribution<double> normal;
  int straddling = 0;
  for (int trial = 0; trial < 200; ++trial) {
    Rows rows;
    const std::size_t m = 8 + static_cast<std::size_t>(random() % 33);
    for (std::size_t k = 0; k < m; ++k) {
      rows.x.push_back(normal(random));
      rows.y.push_back(normal(random));
    }
    rows.inverse = 1.0 / static_cast<double>(m + 2);
    const auto step_of = [&] {
      rows.step = {};
      for (std::size_t k = 0; k < m; ++k) rows.step.add(rows.x[k], rows.y[k]);
    };
    step_of();
    std::vector<double> products;
    for (std::size_t k = 0; k < m; ++k) {
      const EstimateParts<double> p = estimate_parts(rows.step, rows.x[k], rows.y[k], rows.inverse);
      products.push_back(p.a * p.b);
    }
    std::nth_element(products.begin(), products.begin() + m / 2, products.end());
    // About half the products above 2^1000, none on it (which the test leaves unbounded).
    const double scale = std::sqrt(0x1p1000 / products[m / 2]) * 1.00001;
    for (double& x : rows.x) x *= scale;
    step_of();
    std::vector<double> approx(m);
    estimate_candidates({rows.step, rows.x, rows.y, rows.inverse}, 0.0, 0.0, approx.data(), this->width());
    bool above = false, below = false;
    for (std::size_t k = 0; k < m; ++k) {
      const EstimateParts<double> p = estimate_parts(rows.step, rows.x[k], rows.y[k], rows.inverse);
      ASSERT_EQ(bounded(p, 0.0, 0.0), !std::isnan(approx[k])) << "trial " << trial << ", candidate " << k;
      above = above || (p.a * p.b > 0x1p1000 && std::fabs(p.num) < 0x1p500);
      below = below || bounded(p, 0.0, 0.0);
    }
    straddling += above && below ? 1 : 0;
  }
  EXPECT_GT(straddling, 50);
}

// Steps whose bounded products lie far outside single precision's range, above or below, and a
// num below the normal range: every width's approximation stays within its bound of the
// estimate, and exactly the bounded candidates get one.
TEST_P(CandidateEstimatesAtWidth, ProductsAndNumsAtTheEndsOfTheRange) {
  const auto check = [&](const Rows& rows, int trial) {
    const std::size_t m = rows.x.size();
    std::vector<double> approx(m);
    estimate_candidates({rows.step, rows.x, rows.y, rows.inverse}, 0.0, 0.0, approx.data(), this->width());
    for (std::size_t k = 0; k < m; ++k) {
      const EstimateParts<double> p = estimate_parts(rows.step, rows.x[k], rows.y[k], rows.inverse);
      ASSERT_EQ(bounded(p, 0.0, 0.0), !std::isnan(approx[k])) << "trial " << trial << ", candidate " << k;
      if (std::isnan(approx[k])) continue;
      const double e = estimate_without(rows.step, rows.x[k], rows.y[k], rows.inverse).r;
      ASSERT_LE(std::fabs(approx[k] - e), kApproximation * std::fabs(e) + 0x1p-1000)
          << "trial " << trial << ", candidate " << k;
    }
  };
  std::mt19937_64 random(37);
  std::normal_distribution<double> normal;
  int below = 0, above = 0;  // steps with a bounded product below 2^-118, above 2^120
  for (int trial = 0; trial < 300; ++trial) {
    Rows rows;
    const std::size_t m = 1 + static_cast<std::size_t>(random() % 24);
    const int x_scale = static_cast<int>(random() % 400) - 250, y_scale = static_cast<int>(random() % 80) - 40;
    for (std::size_t k = 0; k < m; ++k) {
      rows.x.push_back(std::ldexp(normal(random), x_scale));
      rows.y.push_back(std::ldexp(normal(random), y_scale));
    }
    for (std::size_t k = 0; k < m; ++k) rows.step.add(rows.x[k], rows.y[k]);
    rows.inverse = 1.0 / static_cast<double>(m + 2);
    for (std::size_t k = 0; k < m; ++k) {
      const EstimateParts<double> p = estimate_parts(rows.step, rows.x[k], rows.y[k], rows.inverse);
      if (!bounded(p, 0.0, 0.0)) continue;
      below += p.a * p.b < 0x1p-118 ? 1 : 0;
      above += p.a * p.b > 0x1p120 ? 1 : 0;
    }
    check(rows, trial);
  }
  EXPECT_GT(below, 100);
  EXPECT_GT(above, 100);

  // Leaving out the third column gives num = 2^-1070 with A B near 2^-800: the approximation
  // keeps its relative error only if no rounding before the last one falls below the normal range.
  Rows tiny;
  tiny.x = {1.0, -1.0, 0.0, 0.0};
  tiny.y = {0x1p-1070, 0.0, 0x1p-400, -0x1p-400};
  for (std::size_t k = 0; k < tiny.x.size(); ++k) tiny.step.add(tiny.x[k], tiny.y[k]);
  tiny.inverse = 1.0 / 3.0;
  const EstimateParts<double> p = estimate_parts(tiny.step, tiny.x[2], tiny.y[2], tiny.inverse);
  ASSERT_TRUE(bounded(p, 0.0, 0.0) && p.num == 0x1p-1070);
  check(tiny, -1);
}

// From any width's approximations the list gives exactly what the full test keeps of the exact
// estimates, with the best of them, also with spread 0 or NaN, NaN estimates, ties and no bounded
// candidate at all.
TEST_P(CandidateEstimatesAtWidth, ContendersAreThoseTheFullTestKeeps) {
  std::mt19937_64 random(29);
  for (int round = 0; round < 600; ++round) {
    const Rows rows = random_rows(random, round);
    const std::size_t m = rows.x.size();
    const double cut_a = round % 10 == 0 ? INFINITY : 1e-6, cut_b = 1e-6;
    const double spread = round % 5 == 0   ? 0.0
                          : round % 5 == 1 ? 0x1p-60
                          : round % 5 == 2 ? 1e-3
                          : round % 5 == 3 ? 0.05
                                           : NAN;
    const double removed_r = round % 3 == 0 ? NAN : round % 3 == 1 ? 0.1 : -0.2;

    std::vector<double> estimates(m, NAN);
    double best = -INFINITY;
    for (std::size_t k = 0; k < m; ++k) {
      if (!bounded(estimate_parts(rows.step, rows.x[k], rows.y[k], rows.inverse), cut_a, cut_b)) continue;
      estimates[k] = estimate_without(rows.step, rows.x[k], rows.y[k], rows.inverse).r;
      best = std::max(best, estimates[k]);
    }
    std::vector<std::size_t> expected;
    for (std::size_t k = 0; k < m; ++k) {
      if (!(best - estimates[k] > 2.0 * spread || removed_r - estimates[k] > spread)) expected.push_back(k);
    }
    {
      const int width = this->width();
      const StepRows step_rows{rows.step, rows.x, rows.y, rows.inverse};
      std::vector<double> approx(m);
      const EstimateSummary summary = estimate_candidates(step_rows, cut_a, cut_b, approx.data(), width);
      Contenders got;
      collect_contenders(step_rows, approx, summary, largest_estimate(summary), spread, removed_r, got, width);
      ASSERT_EQ(std::vector<std::size_t>(got.index.begin(), got.index.begin() + static_cast<std::ptrdiff_t>(got.count)),
                expected)
          << "width " << width << ", round " << round;
      EXPECT_TRUE(same_bits(got.best, best)) << width;
      for (std::size_t i = 0; i < expected.size(); ++i) {
        const double e = estimates[expected[i]];
        EXPECT_TRUE(std::isnan(e) ? std::isnan(got.r[i]) : same_bits(got.r[i], e)) << width;
      }
    }
  }
}

}  // namespace
}  // namespace kova
