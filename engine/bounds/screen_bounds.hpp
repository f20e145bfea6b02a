#pragma once
// Proof, from single- or half-precision sums, that a candidate's correlation with a member lies
// below the threshold, so that gene extension computes the exact correlation only for the few
// candidates that come close. The error analysis, step by step: docs/error-analysis.md, screen
// bounds; "step N" below is its screen step N.

#include <cmath>
#include <cstdint>
#include <limits>
#include <span>
#include <type_traits>
#include <vector>

namespace kova {

// How one gene's row enters the screen: q = (x - shift) * factor with factor a power of two and
// every |q| < 1. A gene whose values are not finite, or are spread too far from the usual range
// of doubles, is not usable: it always gets the exact test.
struct ScreenScale {
  double shift = std::numeric_limits<double>::quiet_NaN();  // NaN unless usable
  double factor = 1.0;
  double square_bound = 0.0;  // >= sum over all columns of (x * factor)^2
  double root_bound = 0.0;    // >= sqrt(square_bound)
  bool usable = false;
};
ScreenScale screen_scale(std::span<const double> row);

// The screen's values of one candidate at one column: q rounded to single precision; NaN for a
// gene that is not usable (its shift is NaN), which then proves nothing.
inline float screen_value(double x, double shift, double factor) { return static_cast<float>((x - shift) * factor); }
inline float screen_value(double x, const ScreenScale& scale) { return screen_value(x, scale.shift, scale.factor); }

// What the decision needs of a group of candidates screened together: the largest bounds and the
// largest scale among them.
struct GroupScale {
  double square_bound = 0.0, root_bound = 0.0;
  double largest_factor_squared = 0.0;
  void add(const ScreenScale& scale) {
    if (!scale.usable) return;
    square_bound = scale.square_bound > square_bound ? scale.square_bound : square_bound;
    root_bound = scale.root_bound > root_bound ? scale.root_bound : root_bound;
    const double factor_squared = scale.factor * scale.factor;
    largest_factor_squared = factor_squared > largest_factor_squared ? factor_squared : largest_factor_squared;
  }
};

// A single-precision number at least v (v >= 0): rounding to nearest errs by at most 2^-24 of it
// in the normal range, and anything below that range becomes its least normal number.
inline float rounded_up(double v) {
  const float up = static_cast<float>(v * (1.0 + 0x1p-20));
  return up < 0x1p-126f ? 0x1p-126f : up;
}

// The constants of the decision for one member and one group of candidates (step 3).
struct ScreenDecision {
  // e_a and e_num first: the two are updated together per tile, and a pair of doubles at the
  // start keeps that update from a misaligned read of what was just written.
  double e_a;    // A_low = F2 - F1 F1 / n - e_a
  double e_num;  // num_high = F3 - F1 cross + e_num
  double inverse_n;
  double cross;       // T1 / n
  double a_floor;     // A_low above this keeps the literal product and the test's right side normal
  double rhs_factor;  // T^2 B 4^j, less a margin for the test's own rounding
};

// The same constants in single precision, for the decision on single-precision sums made in single
// precision (step 3): twice the lanes per instruction of the decision in double.
struct SingleDecision {
  float e_a, e_num, inverse_n, cross, a_floor, rhs_factor;
};

// The early test on a pair's first columns (step 5), in single precision: the same constants over
// those columns, with rhs_factor bounding what the rest of the columns can add.
struct PrefixDecision : SingleDecision {};

// The decision for sums in half precision, made in single precision: the same constants, and e_a
// grows per lane with F2 and |F1|, and e_num's share of F3's error with F2, up to a cap. Every bound
// is rounded up and the right side's factor down (step 4).
struct HalfDecision : SingleDecision {
  float a_per_f2, a_per_abs_f1;
  float num_per_f2, num_at_zero, num_cap;
};

// Pairs with fewer selected columns have no early test: its own decision would cost about what
// the columns it saves do. With more, it takes about three tenths of them.
inline constexpr std::size_t kLeastPrefixColumns = 12;

// Pairs with at most this many selected columns may be screened in half precision.
inline constexpr std::size_t kHalfMostColumns = 128;

// What the bounds take of the vector width the screen runs at (screen_tile.hpp gives it).
struct ScreenWidth {
  bool half_precision = false;  // it screens in half precision
};

// One member over the selected columns of a pair.
class ScreenMember {
 public:
  // `sy` and `syy` are the member's literal sums over `columns` (ascending, at least one).
  void set(const double* row, std::span<const std::int32_t> columns, double sy, double syy, double threshold,
           ScreenWidth width);

  // The columns in the screen's order: where there is an early test, the prefix_columns() columns
  // on which the member lies furthest from its mean first (they hold most of its spread, which
  // makes the test strongest), then the others; each part ascending.
  const std::vector<std::int32_t>& columns() const { return columns_; }
  // False when no candidate can be proven below the threshold against this member (threshold not
  // above 0, a member row without spread, values out of range): every candidate is tested exactly.
  bool usable() const { return usable_; }
  // The member's screen values at columns(), in their order.
  std::span<const float> values() const { return values_; }
  // Whether the screen may run in half precision (the width has it, few enough columns), on
  // values() rounded to half precision.
  bool half_usable() const { return half_usable_; }
  // The decision's constants for a group of candidates; a usable member only.
  ScreenDecision decision(const GroupScale& group) const {
    ScreenDecision d = pair_;
    d.e_a += a_per_square_ * group.square_bound;
    d.e_num += num_per_root_ * group.root_bound;
    const double floor = floor_per_factor_squared_ * group.largest_factor_squared;
    d.a_floor = floor > d.a_floor ? floor : d.a_floor;
    return d;
  }
  // Whether the decision may run in single precision (the right side's factor lies in the range
  // where its bounds hold); then single_decision() gives its constants for a group.
  bool single_usable() const { return single_usable_; }
  SingleDecision single_decision(const GroupScale& group) const;
  // The same for the half-precision screen; half_usable() only.
  HalfDecision half_decision(const GroupScale& group) const;
  // How many of the first columns the early test takes, 0 where it is not made (single-precision
  // decisions on enough columns only): a candidate whose sums over those columns alone pass it is
  // below the threshold over all of them. prefix_decision() gives its constants for a group.
  std::size_t prefix_columns() const { return prefix_columns_; }
  // Once per pair and tile, so inline: plain comparisons, as nothing here is NaN.
  PrefixDecision prefix_decision(const GroupScale& group) const {
    PrefixDecision d = prefix_;
    const double literal_floor = prefix_floor_per_factor_squared_ * group.largest_factor_squared;
    const double literal_error_floor = prefix_floor_per_square_ * group.square_bound;
    double floor = prefix_a_floor_ > literal_floor ? prefix_a_floor_ : literal_floor;
    floor = floor > literal_error_floor ? floor : literal_error_floor;
    d.a_floor = rounded_up(floor);
    return d;
  }

 private:
  // A decision in single precision for a group: its e_a, e_num and floor (before the group's share)
  // with the group's share, each rounded up.
  // The early test's columns for n selected ones (0: none), their place in columns(), and its
  // constants (step 5); t2_b is T^2 B, root_y2 bounds the member's sqrt(Y2 4^j).
  static std::size_t prefix_size(std::size_t n);
  void order_columns(const double* row, double mean);
  void set_prefix(const double* row, double mean, double factor, double t2_b, double root_y2);
  template <class Decision>
  Decision with_group(Decision d, double e_a, double e_num, double a_floor, const GroupScale& group) const;

  std::vector<std::int32_t> columns_;
  std::vector<double> distances_, scratch_;  // order_columns' own, kept for their memory
  std::vector<std::int32_t> rest_;
  std::vector<float> values_;
  // The decision's parts that do not depend on the group; decision() adds a_per_square times the
  // group's square bound to e_a and num_per_root times its root bound to e_num.
  ScreenDecision pair_{};
  double a_per_square_ = 0.0, num_per_root_ = 0.0;
  double floor_per_factor_squared_ = 0.0;  // >= 2^-998 / B_L
  bool usable_ = false;
  SingleDecision single_{};  // the single-precision decision's parts that do not depend on the group
  double single_e_a_ = 0.0, single_e_num_ = 0.0, single_a_floor_ = 0.0;  // before the group's share
  bool single_usable_ = false;
  std::size_t prefix_columns_ = 0;
  PrefixDecision prefix_{};  // the early test's parts that do not depend on the group
  // The early test's floor (step 5): the largest of prefix_a_floor_ and these times the group's
  // largest 4^k and largest square bound.
  double prefix_a_floor_ = 0.0, prefix_floor_per_factor_squared_ = 0.0, prefix_floor_per_square_ = 0.0;
  HalfDecision half_{};                       // the half-precision decision's parts that do not depend on the group
  double half_e_a_ = 0.0, half_e_num_ = 0.0;  // theirs, before the group's share (the floor is the single one's)
  bool half_usable_ = false;
};

// Whether candidates with these single-precision sums over the selected columns (of q, q*q and
// q*t, t the member's screen values) provably have a literal correlation below the threshold.
// `Real` is double or a vector of doubles, one lane a candidate, so that the scalar and the
// vectorised screen share one formula. Every comparison with NaN fails: nothing non-finite proves
// anything. The conditions fold into one comparison through single-condition blends, which
// vectorise cleanly. Always inlined, as everything the vector kernels take from other rooms
// (kernels/kernel_set.hpp).
template <class Real, class Decision>
inline __attribute__((always_inline)) auto proven_below_with(Real f1, Real f2, Real f3, Real e_a, Real e_num,
                                                             const Decision& d) {
  using Scalar = decltype(d.a_floor);
  const Real a_low = (f2 - f1 * f1 * d.inverse_n) - e_a;
  const Real num_high = (f3 - f1 * d.cross) + e_num;
  constexpr Scalar kNaN = std::numeric_limits<Scalar>::quiet_NaN();
  constexpr Scalar kInfinity = std::numeric_limits<Scalar>::infinity();
  const Real nothing = Real{} + kNaN;
  const Real rhs = a_low > d.a_floor ? a_low * d.rhs_factor : nothing;
  const Real below = Real{} - kInfinity;
  const Real above = Real{} + kInfinity;
  return (num_high <= 0 ? below : num_high * num_high) < (num_high <= 0 ? above : rhs);
}
// `Decision` a ScreenDecision (in double) or a SingleDecision (in single precision, `Real` floats).
template <class Real, class Decision>
inline __attribute__((always_inline)) auto proven_below(Real f1, Real f2, Real f3, const Decision& d) {
  return proven_below_with(f1, f2, f3, Real{} + d.e_a, Real{} + d.e_num, d);
}
// |v|, for vectors by clearing the sign bits (one operation, where a comparison and a blend take three).
template <class Real>
inline __attribute__((always_inline)) Real magnitude(Real v) {
  if constexpr (std::is_floating_point_v<Real>) {
    return std::fabs(v);
  } else {
    using Bits = decltype(v < v);  // integers of the lanes' width
    return reinterpret_cast<Real>(reinterpret_cast<Bits>(v) & (Bits{} + 0x7fffffff));
  }
}

// The early test (step 5) from the single-precision sums over the first
// prefix_columns() columns: like proven_below, but on the magnitude of the centred cross sum, so
// that a strongly negative correlation over those columns proves nothing.
template <class Real>
inline __attribute__((always_inline)) auto proven_below_from_prefix(Real f1, Real f2, Real f3,
                                                                    const PrefixDecision& d) {
  const Real a_low = (f2 - f1 * f1 * d.inverse_n) - d.e_a;
  const Real num_bound = magnitude(f3 - f1 * d.cross) + d.e_num;
  constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
  const Real nothing = Real{} + kNaN;
  const Real rhs = a_low > d.a_floor ? a_low * d.rhs_factor : nothing;
  return num_bound * num_bound < rhs;
}
// The same from half-precision sums, with each lane's own e_a (step 4).
// `Real` a vector of floats.
template <class Real>
inline __attribute__((always_inline)) auto proven_below_half(Real f1, Real f2, Real f3, const HalfDecision& d) {
  const Real abs_f1 = f1 < 0 ? -f1 : f1;
  const Real e_a = (d.e_a + f2 * d.a_per_f2) + abs_f1 * d.a_per_abs_f1;
  const Real e3 = d.num_at_zero + f2 * d.num_per_f2;
  const Real e_num = d.e_num + (e3 < d.num_cap ? e3 : Real{} + d.num_cap);  // NaN: the cap
  return proven_below_with(f1, f2, f3, e_a, e_num, d);
}

}  // namespace kova
