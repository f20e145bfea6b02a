// The hypergeometric tail as Loader's saddle-point method computes binomial probabilities: each
// probability as the exponential of a sum of small, accurately known terms (the Stirling series'
// remainders and the deviance bd0), and the tail summed from its far end, where the terms fall.
// Plain sums of log-gamma values would lose the last digits: lgamma(20000) is about 1.8e5, so its
// rounding alone is 4e-11 of the answer.

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <stdexcept>

#include "kova/meaning.hpp"

namespace kova {
namespace {

// log(n!) - log(sqrt(2 pi n) (n/e)^n) for a whole n >= 1.
double stirling_remainder(double n) {
  if (n <= 15) {
    double factorial = 1;
    for (double i = 2; i <= n; ++i) factorial *= i;  // exact below 2^53
    return std::log(factorial) - (n + 0.5) * std::log(n) + n - 0.5 * std::log(2 * std::numbers::pi);
  }
  constexpr double s0 = 1.0 / 12, s1 = 1.0 / 360, s2 = 1.0 / 1260, s3 = 1.0 / 1680, s4 = 1.0 / 1188;
  const double nn = n * n;
  if (n > 500) return (s0 - s1 / nn) / n;
  if (n > 80) return (s0 - (s1 - s2 / nn) / nn) / n;
  if (n > 35) return (s0 - (s1 - (s2 - s3 / nn) / nn) / nn) / n;
  return (s0 - (s1 - (s2 - (s3 - s4 / nn) / nn) / nn) / nn) / n;
}

// x log(x / m) + m - x, without the cancellation of its terms where x is near m.
double deviance(double x, double m) {
  if (std::abs(x - m) < 0.5 * (x + m)) {
    double v = (x - m) / (x + m);
    double sum = (x - m) * v;
    double power = 2 * x * v;
    v *= v;
    for (int j = 1;; ++j) {
      power *= v;
      const double next = sum + power / (2 * j + 1);
      if (next == sum) return next;
      sum = next;
    }
  }
  return x * std::log(x / m) + m - x;
}

constexpr double kLogZero = -std::numeric_limits<double>::infinity();

// log P(Y = x) for Y binomial(n, p), q = 1 - p given apart so that neither loses digits.
double log_binomial(double x, double n, double p, double q) {
  if (p == 0) return x == 0 ? 0 : kLogZero;
  if (q == 0) return x == n ? 0 : kLogZero;
  if (x == 0) return n == 0 ? 0 : (p < 0.1 ? -deviance(n, n * q) - n * p : n * std::log(q));
  if (x == n) return q < 0.1 ? -deviance(n, n * p) - n * q : n * std::log(p);
  const double exponent = stirling_remainder(n) - stirling_remainder(x) - stirling_remainder(n - x) -
                          deviance(x, n * p) - deviance(n - x, n * q);
  return exponent - 0.5 * (std::log(2 * std::numbers::pi) + std::log(x) + std::log1p(-x / n));
}

// P(X = x): x hits among n drawn from hits + others. The binomial probabilities' powers of p and
// q cancel exactly, whatever p is, so the ratio is taken with p = n / population.
double hypergeometric_probability(double x, double hits, double others, double n) {
  const double population = hits + others;
  const double p = n / population;
  const double q = (population - n) / population;
  return std::exp(log_binomial(x, hits, p, q) + log_binomial(n - x, others, p, q) - log_binomial(n, population, p, q));
}

// P(X <= x) / P(X = x), for x at or below the mean: the terms fall from x down.
double lower_tail_over_probability(double x, double hits, double others, double n) {
  double sum = 0;
  double term = 1;
  while (x > 0 && term >= std::numeric_limits<double>::epsilon() * sum) {
    term *= x * (others - n + x) / (n + 1 - x) / (hits + 1 - x);
    sum += term;
    --x;
  }
  return 1 + sum;
}

}  // namespace

double hypergeometric_upper_tail(std::int64_t drawn_hits, std::int64_t hits, std::int64_t drawn,
                                 std::int64_t population) {
  if (hits < 0 || drawn < 0 || population < 0 || hits > population || drawn > population) {
    throw std::invalid_argument("hypergeometric_upper_tail: counts outside 0 to the population");
  }
  const std::int64_t lowest = std::max<std::int64_t>(0, drawn - (population - hits));
  if (drawn_hits <= lowest) return 1.0;
  if (drawn_hits > std::min(drawn, hits)) return 0.0;
  // P(X >= k) = 1 - P(X <= k - 1). The tail away from the mean is summed; above the mean, hits and
  // others trade places, which turns the upper tail into a lower one.
  double x = static_cast<double>(drawn_hits - 1);
  double h = static_cast<double>(hits);
  double o = static_cast<double>(population - hits);
  const double n = static_cast<double>(drawn);
  bool upper = true;
  if (x * (h + o) > n * h) {
    std::swap(h, o);
    x = n - x - 1;
    upper = false;
  }
  const double lower_tail = hypergeometric_probability(x, h, o, n) * lower_tail_over_probability(x, h, o, n);
  return upper ? 1.0 - lower_tail : lower_tail;
}

}  // namespace kova
