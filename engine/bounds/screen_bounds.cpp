#include "engine/bounds/screen_bounds.hpp"

// Error analysis of the single- and half-precision screen
// ======================================================
//
// Notation: u = 2^-53 and v = 2^-24 (unit roundoff of double and float); a pair's selected
// columns, n of them (3 <= n <= 2^20); x the candidate's row, y the member's; all sums over the
// selected columns. gamma_k = k u / (1 - k u).
//
// The literal r is fl(num_L / fl(sqrt(fl(A_L * B_L)))), from num_L = Sxy - Sx*Sy/n and
// A_L = Sxx - Sx*Sx/n over ascending double chains (B_L, the member's, is known exactly). Write
// num and A for the same expressions in real arithmetic on the same doubles.
//
// 1. The literal rounding. Each chain of n terms errs by at most gamma_n times the sum of the
//    magnitudes of its terms; with X2 = sum x^2, Y2 = sum y^2 and |Sx| <= sqrt(n X2), the few
//    operations after the chains give
//      |A_L - A| <= L X2,   |num_L - num| <= L sqrt(X2 Y2),   L = 4 (n + 3) u,
//    plus (n + 10) 2^-1074 each for underflow. X2 and Y2 are bounded by the computed full-row
//    sum of squares of the candidate and the computed member chain, each times 1 + 2^-30.
//
// 2. Single precision. Shifts change neither A nor num, and powers of two scale them exactly:
//    with q = (x - shift) 2^k and t = (y - mean y) 2^j, both below 1 in magnitude,
//      A 4^k = sum q^2 - (sum q)^2 / n,   num 2^(k+j) = sum q t - (sum q)(sum t) / n.
//    The screen's values are q and t rounded to double and then to float: relative error at most
//    v + u, or 2^-150 absolute where they underflow. F1, F2, F3 are float sums, in any order, of
//    q, q*q and q*t, each product rounded or fused with its addition (one rounding fewer).
//    Counting the input roundings, the product and n - 1 additions per lane,
//      |F2 - sum q^2| <= eps sum q^2 + eta,  |F1 - sum q| <= eps n + eta,
//      |F3 - sum q t| <= eps sum |t| + eta,  eps = 1.25 (n + 4) v,  eta = n 2^-140,
//    and sum q^2 <= (F2 + eta) / (1 - eps). The member's T1 = sum of its float values, added in
//    double, lies within 2^-23 sum |t| + eta of the real sum t. The scale limit |k|, |j| <= 400
//    keeps the literal underflow terms of step 1, scaled, far below eta.
//
// 3. The decision (proven_below). The candidates of a tile are decided together: with |q| < 1,
//    sum q^2 <= n and |F1| <= n + e1, |F2| <= n + e2, |F3| <= sum |t| + e3, so one e_A and one e_num
//    hold for every lane, with X2 bounded by the largest square bound of the group. In scaled units
//      A_L 4^k >= A_low = F2 - F1^2/n - e_A,   num_L 2^(k+j) <= num_high = F3 - F1 T1/n + e_num,
//    where e_A and e_num add the bounds above and the products of errors, times 1 + 2^-20 for
//    their own rounding, and 2^-40 of the largest magnitudes involved for the rounding of the
//    estimates themselves (a few operations of relative error u each). With B_L > 0 and 0 < T:
//    - num_high <= 0: num_L <= 0, so the literal r is <= 0, -infinity or NaN: below T.
//    - A_low above a floor that keeps A_L B_L >= 2^-999 (through the largest 4^k of the group)
//      and the right side below above 2^-900: the literal product, root and quotient are normal,
//      so the literal r <= (1 + 3u) num_L / sqrt(A_L B_L) <= (1 + 3u) num_high / sqrt(A_low B_L 4^j).
//      Then num_high^2 < A_low T^2 B_L 4^j (1 - 2^-39), computed in double (a subnormal left side is
//      below the normal right side anyway), proves the literal r < T.
//    A NaN or infinity anywhere fails every comparison: nothing is proven, the test is exact.
//    Where the right side's factor T^2 B_L 4^j (1 - 2^-39) lies in [2^-60, 2^60], the same decision
//    runs in single precision on the single-precision sums, as step 4 describes for its own: the
//    bounds rounded up, the factor down by 2^-20, 2^-19 of the magnitudes in place of 2^-40, and
//    A_low above 2^-100 / rhs_factor as well. That widens e_A and e_num by some 2^-18 n, far below
//    what the threshold's neighbourhood needs, and decides twice the lanes per instruction.
//
// 4. Half precision. Where the processor has half-precision arithmetic and n <= 128, the tiles and
//    the member hold their single-precision values rounded once more, to half precision (unit
//    w = 2^-11, spacing 2^-24 below 2^-14), and the sums run in half precision. Steps 2 and 3 hold
//    with w for v: eps_h = 1.25 (n + 4) w (1 + 2^-12) covers the three input roundings and the n
//    operations per lane (n w <= 1/16 keeps gamma's denominator inside the 1.25), eta_h = n 2^-22
//    the underflow, and no sum reaches 65504 (each term is at most 1 in magnitude). The group's bound n on sum q^2
//    would make e_A as large as A itself, so each lane takes its own: sum q^2 <= (F2 + eta_h) / (1 - eps_h), and, with
//    the lane's |F1| for the group's largest,
//      e_A = K (e2 + (2 |F1| e1 + e1^2) / n) + (the rounding term of step 3),
//      e2 = eps_h F2 / (1 - eps_h) + eta_h (1 + eps_h / (1 - eps_h)),
//    which the decision adds up lane by lane (proven_below_half). In e_num, e3 = eps_h sum |q t|
//    + eta_h takes the lesser of the group's sum |q t| <= sum |t| and the lane's
//    sum |q t| <= (sum q^2 + sum t^2) / 2; the rest of e_num keeps the group's form.
//    The decision itself runs in single precision (sixteen lanes): every bound is rounded up
//    (rounded_up), the right side's factor down by 2^-20, which covers the rounding of the square
//    and the product compared; 2^-19 of the magnitudes involved (in place of step 3's 2^-40)
//    covers the few other operations; A_low must exceed 2^-100 / rhs_factor as well, which keeps
//    the right side normal (a left side that underflows is below it anyway). Pairs whose
//    rhs_factor lies outside [2^-60, 2^60] keep the single-precision screen.
//    The bounds are some 2^13 times wider: the screen then rejects what lies clearly below the
//    threshold (on expression rows about r < T - 0.1), and the exact tests take the rest.
//
// 5. The early test. Most candidates lie far enough below the threshold that the sums over the
//    first m of the n columns prove it, and the rest need not be added up: m even, about 3 n / 10,
//    the columns put in an order where those on which the member lies furthest from its mean come
//    first (they hold most of B_C, which leaves D small). All sums above hold in any order. Where
//    half precision runs (step 4) there is no early test: it takes every column at less cost.
//    In real arithmetic on q and t over all columns (A, num, B_C as in step 2) and over the first
//    m (A_P, num_P, B_P), the least-squares fit of t on q leaves over all columns at least what it
//    leaves over the first m: B_C - num^2 / A >= B_P - num_P^2 / A_P (A_P > 0). So
//      num^2 <= A M,  M = D + num_P^2 / A_P,  D = B_C - B_P <= sum_rest t^2 + (sum_P t)^2 / m,
//    and A >= A_P. The member's doubles give D_high within 2^-30 of that bound. Steps 2 and 3 with
//    m for n, without the literal terms, give A_P >= A_low and |num_P| <= N = |F3 - F1 T1 / m|
//    + e_num from the sums over the first m, so M <= D_high + N^2 / A_low.
//    The literal r < T follows from (num + dn)^2 < T^2 (1 - 2^-39) (A - dA) B (step 3, with step
//    1's dA = L X2 4^k and dn = L sqrt(X2 Y2) 2^(k+j) in scaled units, B = B_L 4^j). Dividing by A
//    and putting in num <= sqrt(A M) and A >= A_low >= 2^20 dA, it suffices that
//      sqrt(M) + e_root < S = T sqrt((1 - 2^-19) B),  e_root = 2^-10 sqrt(L Y2 4^j) >= dn / sqrt(A_low),
//    that is N^2 < (S^2 - D_high) A_low: the decision of step 3 on the magnitude of N, with
//    rhs_factor S^2 - D_high (each part rounded towards the safe side), a floor of 2^20 dA on
//    A_low besides step 3's floors (times 1 + 2^-19, for A >= A_low (1 - 2^-20)), in single
//    precision where that factor lies in [2^-60, 2^60]. When a tile's lanes all pass, its sums
//    over the other columns are not added up; otherwise the sums run on, in the same order, to the
//    decision over all columns, and a lane is proven by either.

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
                       double threshold, const ScreenWidth& width) {
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
  half_usable_ = single_usable_ && n <= kHalfMostColumns && width.half_precision;
  if (!half_usable_) return;
  half_values_.resize(n);
  width.to_half(values_, half_values_.data());
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

std::size_t ScreenMember::prefix_size(std::size_t n) { return n < kLeastPrefixColumns ? 0 : (3 * n / 10 + 1) & ~std::size_t{1}; }

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
  std::size_t ties = m - static_cast<std::size_t>(std::count_if(distances_.begin(), distances_.end(),
                                                               [&](double d) { return d > least; }));
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
