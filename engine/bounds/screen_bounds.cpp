#include "engine/bounds/screen_bounds.hpp"

// The error analysis, step by step: docs/error-analysis.md, screen bounds (screen notation, then
// screen steps 1 to 5); "step N" below is its screen step N.

#include <algorithm>
#include <cmath>
#include <functional>

namespace kova {
namespace {

constexpr double kUnit = 0x1p-53;
constexpr double kFloatUnit = 0x1p-24;
constexpr double kHalfUnit = 0x1p-11;
constexpr double kSumBound = 1.0 + 0x1p-30;  // a computed sum of <= 2^20 magnitudes, made an upper bound
constexpr double kTiny = 1.0 + 0x1p-40;      // one or two roundings, made an upper bound
constexpr int kLargestScale = 400;
constexpr std::size_t kMostColumns = std::size_t{1} << 20;
constexpr double kLargestSquareBound = 0x1p30;

bool finite(double v) { return std::isfinite(v); }

// The power of two that brings `largest` (> 0) into [0.5, 1), or nothing when it lies too far out.
bool scale_exponent(double largest, int& exponent) {
  int e = 0;
  std::frexp(largest, &e);
  exponent = -e;
  return exponent >= -kLargestScale && exponent <= kLargestScale;
}

// e_A and e_num of step 3 for sums over n columns, without the literal terms: `sum_abs_t` bounds
// the member's sum |t| over them and `abs_t1` is |T1|; `rounding` the decision's own share.
struct SumErrors {
  double e_a, e_num;
};
SumErrors sum_errors(double n, double sum_abs_t, double abs_t1, double rounding) {
  constexpr double kSlack = 1.0 + 0x1p-20;
  const double eps = 1.25 * (n + 4.0) * kFloatUnit;
  const double eta = n * 0x1p-140;
  const double e1 = eps * n * kTiny + eta;  // |F1 - sum q|
  const double f1_max = n * kTiny + e1;
  const double q2_max = n * kTiny;
  const double e2 = eps * q2_max + eta;  // |F2 - sum q^2|
  const double f2_max = q2_max + e2;
  const double e3 = eps * sum_abs_t + eta;  // |F3 - sum q t|
  const double f3_max = sum_abs_t * kTiny + e3;
  const double e_t = 2.0 * kFloatUnit * sum_abs_t + eta;  // |T1 - sum t|
  return {kSlack * (e2 + (2.0 * f1_max * e1 + e1 * e1) / n) + rounding * (f2_max + f1_max * f1_max / n),
          kSlack * (e3 + (f1_max * e_t + (abs_t1 + e_t) * e1) / n) + rounding * (f3_max + f1_max * abs_t1 / n)};
}

}  // namespace

ScreenScale screen_scale(std::span<const double> row) {
  const ScreenScale unusable;
  if (row.empty()) return unusable;
  double sum = 0.0, squares = 0.0;
  for (const double x : row) {
    sum += x;
    squares += x * x;
  }
  const double shift = sum / static_cast<double>(row.size());
  if (!finite(shift)) return unusable;
  double largest = 0.0;
  for (const double x : row) largest = std::fmax(largest, std::fabs(x - shift));
  if (!finite(largest)) return unusable;
  int exponent = 0;
  if (largest > 0.0 && !scale_exponent(largest, exponent)) return unusable;
  ScreenScale scale;
  scale.factor = std::ldexp(1.0, exponent);
  scale.square_bound = squares * kSumBound * scale.factor * scale.factor;
  // Values far from zero beside their spread leave the literal sums too little precision for
  // any proof (and would weaken it for the other candidates of a tile): exact tests only.
  if (!(scale.square_bound <= kLargestSquareBound)) return unusable;
  scale.shift = shift;
  scale.root_bound = std::sqrt(scale.square_bound) * kTiny;
  scale.usable = true;
  return scale;
}

void ScreenMember::set(const double* row, std::span<const std::int32_t> columns, double sy, double syy,
                       double threshold, ScreenWidth width) {
  usable_ = false;
  half_usable_ = false;
  single_usable_ = false;
  const std::size_t n = columns.size();
  values_.resize(n);
  columns_.assign(columns.begin(), columns.end());
  if (n == 0 || n > kMostColumns || !(threshold >= 0x1p-100 && threshold <= 0x1p100)) return;
  const double dn = static_cast<double>(n);
  const double b = syy - (sy * sy) / dn;  // as the literal formula has it
  const double mean = sy / dn;
  if (!finite(b) || !(b > 0.0) || !finite(mean)) return;
  double largest = 0.0;
  for (std::size_t i = 0; i < n; ++i) largest = std::fmax(largest, std::fabs(row[columns[i]] - mean));
  int exponent = 0;
  if (!finite(largest) || !(largest > 0.0) || !scale_exponent(largest, exponent)) return;
  const double factor = std::ldexp(1.0, exponent);
  // Half precision takes every column at a quarter of the cost; there the early test would not pay.
  const bool half_likely = n <= kHalfMostColumns && width.half_precision;
  if (!half_likely) order_columns(row, mean);

  double sum_t = 0.0, sum_abs_t = 0.0, sum_t2 = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    const double t = (row[columns_[i]] - mean) * factor;
    values_[i] = static_cast<float>(t);
    sum_t += static_cast<double>(values_[i]);
    sum_abs_t += std::fabs(t);
    sum_t2 += t * t;
  }
  sum_abs_t *= kSumBound * kTiny;
  sum_t2 *= kSumBound * kTiny;
  const double root_y2 = std::sqrt(syy * kSumBound * factor * factor) * kTiny;
  const double b_scaled = b * factor * factor;
  if (!finite(root_y2) || !(b_scaled >= 0x1p-900)) return;

  constexpr double kSlack = 1.0 + 0x1p-20;
  constexpr double kRounding = 0x1p-40;
  const double literal = 4.0 * (dn + 3.0) * kUnit;
  const double abs_t1 = std::fabs(sum_t);
  const double e_t = 2.0 * kFloatUnit * sum_abs_t + dn * 0x1p-140;  // |T1 - sum t|
  const SumErrors errors = sum_errors(dn, sum_abs_t, abs_t1, kRounding);
  pair_.inverse_n = 1.0 / dn;
  pair_.e_a = errors.e_a;
  pair_.e_num = errors.e_num;
  pair_.cross = sum_t / dn;
  pair_.rhs_factor = threshold * threshold * b_scaled * (1.0 - 0x1p-39);
  pair_.a_floor = 0x1p-899 / pair_.rhs_factor;
  a_per_square_ = kSlack * literal;
  num_per_root_ = kSlack * literal * root_y2;
  // A_low above this times the group's largest 4^k keeps A_L B_L >= 2^-999; for B_L >= 1 the
  // bound needs no division, and below 1 the quotient cannot underflow.
  floor_per_factor_squared_ = b >= 1.0 ? 0x1p-998 : 0x1p-998 / b;
  usable_ = true;

  constexpr double kRoundingSingle = 0x1p-19;
  const double rhs_factor = pair_.rhs_factor;
  // The decision in single precision (step 3, its last paragraph).
  single_usable_ = rhs_factor >= 0x1p-60 && rhs_factor <= 0x1p60;
  if (single_usable_) {
    const SumErrors single = sum_errors(dn, sum_abs_t, abs_t1, kRoundingSingle);
    single_e_a_ = single.e_a;
    single_e_num_ = single.e_num;
    // Above this A_low keeps the right side A_low rhs_factor normal in single precision too.
    single_a_floor_ = std::fmax(pair_.a_floor, 0x1p-100 / rhs_factor);
    single_.inverse_n = static_cast<float>(pair_.inverse_n);
    single_.cross = static_cast<float>(pair_.cross);
    single_.rhs_factor = static_cast<float>(rhs_factor * (1.0 - 0x1p-20));
    if (!half_likely) set_prefix(row, mean, factor, threshold * threshold * b_scaled, root_y2);
  }

  // The half-precision screen (step 4): the same bounds with its unit, e_a growing per lane, the
  // decision in single precision.
  half_usable_ = single_usable_ && half_likely;
  if (!half_usable_) return;
  const double q2_max = dn * kTiny;
  const double eps_h = 1.25 * (dn + 4.0) * kHalfUnit * (1.0 + 0x1p-12);
  const double eta_h = dn * 0x1p-22;
  const double e1_h = eps_h * dn * kTiny + eta_h;
  const double f1_max_h = dn * kTiny + e1_h;
  const double f2_max_h = q2_max * (1.0 + eps_h) + eta_h;
  const double e3_h = eps_h * sum_abs_t + eta_h;
  const double f3_max_h = sum_abs_t * kTiny + e3_h;
  const double per_f2 = eps_h / (1.0 - eps_h);  // e2 <= per_f2 F2 + eta_h (1 + per_f2)
  half_e_a_ =
      kSlack * (eta_h * (1.0 + per_f2) + e1_h * e1_h / dn) + kRoundingSingle * (f2_max_h + f1_max_h * f1_max_h / dn);
  half_e_num_ =
      kSlack * ((f1_max_h * e_t + (abs_t1 + e_t) * e1_h) / dn) + kRoundingSingle * (f3_max_h + f1_max_h * abs_t1 / dn);
  static_cast<SingleDecision&>(half_) = single_;  // inverse_n, cross and rhs_factor; the floor is single_a_floor_
  half_.a_per_f2 = rounded_up(kSlack * per_f2);
  half_.a_per_abs_f1 = rounded_up(kSlack * 2.0 * e1_h / dn);
  // e3 = eps_h sum |q t| + eta_h, with sum |q t| <= min(sum |t|, (sum q^2 + sum t^2) / 2).
  half_.num_cap = rounded_up(kSlack * e3_h);
  half_.num_per_f2 = rounded_up(kSlack * 0.5 * eps_h / (1.0 - eps_h));
  half_.num_at_zero = rounded_up(kSlack * (eps_h * 0.5 * (eta_h / (1.0 - eps_h) + sum_t2) + eta_h));
}

std::size_t ScreenMember::prefix_size(std::size_t n) {
  return n < kLeastPrefixColumns ? 0 : (3 * n / 10 + 1) & ~std::size_t{1};
}

// The m-th largest distance from the mean, then one pass that keeps each part ascending (of equal
// distances, the earlier columns first).
void ScreenMember::order_columns(const double* row, double mean) {
  const std::size_t n = columns_.size();
  const std::size_t m = prefix_size(n);
  if (m == 0) return;
  distances_.resize(n);
  for (std::size_t i = 0; i < n; ++i) distances_[i] = std::fabs(row[columns_[i]] - mean);
  scratch_.assign(distances_.begin(), distances_.end());
  const auto mth = scratch_.begin() + static_cast<std::ptrdiff_t>(m - 1);
  std::nth_element(scratch_.begin(), mth, scratch_.end(), std::greater<>());
  const double least = *mth;
  std::size_t ties = m - static_cast<std::size_t>(
                             std::count_if(distances_.begin(), distances_.end(), [&](double d) { return d > least; }));
  rest_.clear();
  std::size_t first = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const std::int32_t column = columns_[i];
    const bool far = distances_[i] > least || (distances_[i] == least && ties != 0);
    if (distances_[i] == least && far) --ties;
    if (far) {
      columns_[first++] = column;  // first <= i: nothing unread is overwritten
    } else {
      rest_.push_back(column);
    }
  }
  std::copy(rest_.begin(), rest_.end(), columns_.begin() + static_cast<std::ptrdiff_t>(m));
}

void ScreenMember::set_prefix(const double* row, double mean, double factor, double t2_b, double root_y2) {
  prefix_columns_ = 0;
  const std::size_t n = columns_.size();
  const std::size_t m = prefix_size(n);
  if (m == 0) return;
  const double dm = static_cast<double>(m);
  double sum_t1 = 0.0, sum_t = 0.0, sum_abs_t = 0.0, rest_t2 = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    const double t = (row[columns_[i]] - mean) * factor;  // as set() computes it
    if (i < m) {
      sum_t1 += static_cast<double>(values_[i]);
      sum_t += t;
      sum_abs_t += std::fabs(t);
    } else {
      rest_t2 += t * t;
    }
  }
  sum_abs_t *= kSumBound * kTiny;
  const double prefix_t = std::fabs(sum_t) + 0x1p-30 * sum_abs_t;
  const double d_high = (rest_t2 + prefix_t * prefix_t / dm) * (1.0 + 0x1p-30);
  const double e_root = std::sqrt(a_per_square_) * root_y2 * 0x1p-10 * (1.0 + 0x1p-30);
  const double s = std::sqrt(t2_b * (1.0 - 0x1p-19)) * (1.0 - 0x1p-40) - e_root * (1.0 + 0x1p-40);
  if (!(s > 0.0)) return;
  const double rhs_factor = (s * s * (1.0 - 0x1p-40) - d_high) * (1.0 - 0x1p-40);
  if (!(rhs_factor >= 0x1p-60 && rhs_factor <= 0x1p60) || !finite(d_high)) return;
  const SumErrors errors = sum_errors(dm, sum_abs_t, std::fabs(sum_t1), 0x1p-19);
  prefix_.e_a = rounded_up(errors.e_a);
  prefix_.e_num = rounded_up(errors.e_num);
  prefix_a_floor_ = 0x1p-100 / rhs_factor;
  prefix_floor_per_factor_squared_ = floor_per_factor_squared_ * (1.0 + 0x1p-19);
  prefix_floor_per_square_ = 0x1p20 * a_per_square_;
  prefix_.inverse_n = static_cast<float>(1.0 / dm);
  prefix_.cross = static_cast<float>(sum_t1 / dm);
  prefix_.rhs_factor = static_cast<float>(rhs_factor * (1.0 - 0x1p-20));
  prefix_columns_ = m;
}

template <class Decision>
Decision ScreenMember::with_group(Decision d, double e_a, double e_num, double a_floor, const GroupScale& group) const {
  d.e_a = rounded_up(e_a + a_per_square_ * group.square_bound);
  d.e_num = rounded_up(e_num + num_per_root_ * group.root_bound);
  d.a_floor = rounded_up(std::fmax(a_floor, floor_per_factor_squared_ * group.largest_factor_squared));
  return d;
}

SingleDecision ScreenMember::single_decision(const GroupScale& group) const {
  return with_group(single_, single_e_a_, single_e_num_, single_a_floor_, group);
}

HalfDecision ScreenMember::half_decision(const GroupScale& group) const {
  return with_group(half_, half_e_a_, half_e_num_, single_a_floor_, group);
}

}  // namespace kova
