#pragma once
// Proof, from single-precision sums, that a candidate's correlation with a member lies below the
// threshold, so that gene extension computes the exact correlation only for the few candidates
// that come close. The error analysis is in screen_bounds.cpp.

#include <cstdint>
#include <limits>
#include <span>
#include <vector>

namespace kova {

// How one gene's row enters the screen: q = (x - shift) * factor with factor a power of two and
// every |q| < 1. A gene whose values are not finite, or are spread too far from the usual range
// of doubles, is not usable: it always gets the exact test.
struct ScreenScale {
  double shift = 0.0;
  double factor = 1.0;
  double unscale = 1.0;       // 1 / factor^2
  double square_bound = 0.0;  // >= sum over all columns of (x * factor)^2
  double root_bound = 0.0;    // >= sqrt(square_bound)
  bool usable = false;
};
ScreenScale screen_scale(std::span<const double> row);

// The screen's values of one candidate at one column: q rounded to single precision.
inline float screen_value(double x, const ScreenScale& scale) {
  return static_cast<float>((x - scale.shift) * scale.factor);
}

// One member over the selected columns of a pair, with every constant of the decision that does
// not depend on the candidate.
class ScreenMember {
 public:
  // `sy` and `syy` are the member's literal sums over `columns` (ascending, at least one).
  void set(const double* row, std::span<const std::int32_t> columns, double sy, double syy, double threshold);

  // False when no candidate can be proven below the threshold against this member (threshold not
  // above 0, a member row without spread, values out of range): every candidate is tested exactly.
  bool usable() const { return usable_; }
  // The member's screen values at the selected columns, in their order.
  std::span<const float> values() const { return values_; }

  // Whether the candidate with these single-precision sums over the selected columns (of q, q*q
  // and q*t, t the member's screen values) provably has a literal correlation below the threshold.
  bool proven_below(float sum_q, float sum_qq, float sum_qt, const ScreenScale& candidate) const;

  // The decision's constants (see screen_bounds.cpp).
  struct Constants {
    double inverse_n;
    double eps, eta, one_over_one_minus_eps;
    double e1;            // bound on |F1 - sum q|
    double e3;            // bound on |F3 - sum q t|
    double sum_t, e_sum_t;  // sum of the member's screen values and its bound against sum t
    double literal;       // L of the analysis
    double literal_root;  // L * sqrt(bound on sum y^2 scaled)
    double b_scaled, b;   // the literal B times factor^2, and the literal B itself
    double threshold_squared;
  };
  const Constants& constants() const { return c_; }

 private:
  std::vector<float> values_;
  Constants c_{};
  bool usable_ = false;
};

// The decision of ScreenMember::proven_below on already widened sums; `Real` is double or a
// vector of doubles (one lane a candidate), so that the scalar and the vectorised screen share
// one formula. Every comparison with NaN fails, so nothing non-finite proves anything.
template <class Real>
inline auto proven_below_lanes(Real f1, Real f2, Real f3, Real square_bound, Real root_bound, Real unscale,
                               const ScreenMember::Constants& c) {
  constexpr double kSlack = 1.0 + 0x1p-20;
  constexpr double kRounding = 0x1p-40;
  const Real abs_f1 = f1 < 0.0 ? -f1 : f1;
  const Real q2_bound = (f2 + c.eta) * c.one_over_one_minus_eps;
  const Real e2 = c.eps * q2_bound + c.eta;
  const Real mean_square = f1 * f1 * c.inverse_n;
  const Real e_a = kSlack * (e2 + (2.0 * abs_f1 * c.e1 + c.e1 * c.e1) * c.inverse_n + c.literal * square_bound) +
                   kRounding * (f2 + mean_square);
  const Real a_low = (f2 - mean_square) - e_a;
  const Real cross = f1 * c.sum_t * c.inverse_n;
  const Real abs_cross = cross < 0.0 ? -cross : cross;
  const Real abs_f3 = f3 < 0.0 ? -f3 : f3;
  const Real e_num =
      kSlack * (c.e3 + (abs_f1 * c.e_sum_t + ((c.sum_t < 0.0 ? -c.sum_t : c.sum_t) + c.e_sum_t) * c.e1) * c.inverse_n +
                c.literal_root * root_bound) +
      kRounding * (abs_f3 + abs_cross);
  const Real num_high = (f3 - cross) + e_num;
  // The conditions are folded into one comparison through blends, which vectorise cleanly:
  // a failed precondition turns the right side into NaN, and a non-positive num_high wins outright.
  const Real nothing = Real{} + std::numeric_limits<double>::quiet_NaN();
  const Real rhs = c.threshold_squared * a_low * c.b_scaled;
  Real limit = a_low > 0.0 ? rhs : nothing;
  limit = rhs > 0x1p-900 ? limit : nothing;
  limit = a_low * unscale * c.b >= 0x1p-999 ? limit : nothing;
  const Real lhs = num_high * num_high * (1.0 + kRounding);
  const Real below = Real{} - std::numeric_limits<double>::infinity();
  const Real above = Real{} + std::numeric_limits<double>::infinity();
  return (num_high <= 0.0 ? below : lhs) < (num_high <= 0.0 ? above : limit);
}

}  // namespace kova
