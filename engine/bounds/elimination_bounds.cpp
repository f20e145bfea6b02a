#include "engine/bounds/elimination_bounds.hpp"

// Error analysis of the column-elimination estimate
// ================================================
//
// Notation: u = 2^-53 (unit roundoff of double), m = number of present columns in the step,
// n = h - 1 the candidates' divisor. Every operation is one IEEE double operation (no FMA).
//
// The terms. The literal search adds, per column, the terms x, y, fl(x*x), fl(y*y), fl(x*y).
// Those rounded terms are the same numbers here and there, so only the summation differs; call
// any one of the five term sequences v_s and its magnitude sum V = sum |v_s| over the present
// columns.
//
// 1. Sums. The step sum T = fl(sum v_s), in ascending order, is computed exactly as the literal
//    search computes the step's own r. For a present candidate c the literal search computes
//    E = fl(sum over s != c of v_s), ascending; we estimate it by S' = fl(T - v_c). Recursive
//    summation of k terms errs by at most gamma(k-1) * sum |v| (gamma(k) = k u / (1 - k u)), so
//      |T - (R + v_c)| <= gamma(m-1) V,  |E - R| <= gamma(m-2) V,  |S' - (T - v_c)| <= u (1+gamma) V
//    with R the real sum without c. Hence |S' - E| <= e = (2m + 6) u V for every candidate, with
//    room to spare for the rounding of V itself (V is also a computed sum, in any order).
//    In general the caller passes a drift D with |T - (R + v_c)| <= D (D = m u V for the ascending
//    sum, since gamma(m-1) <= m u); then |S' - E| <= D + gamma(m-2) V + u (V + D), and
//      e = K (D + (m + 6) u V)
//    bounds it. Sums carried from step to step (running_sums.hpp) have a larger D. The step's own
//    r (divisor h) and the r shared by the removed columns (nothing taken out: S' = T) are such
//    estimates as well, with the same e.
//
// 2. The formula parts. Write X, Y, XY, XX, YY for the magnitude sums (inflated by a factor K
//    slightly above 1, so that they bound |S'| and |E| of every candidate). The literal part
//    num_E = fl(E_xy - fl(fl(E_x E_y) / n)) is within u XY + 3.01 u X Y / n of the real
//    E_xy - E_x E_y / n; the estimate num' = fl(S'_xy - fl(fl(S'_x S'_y) * fl(1/n))) within
//    u XY + 4.01 u X Y / n of the real S'_xy - S'_x S'_y / n. The two real values differ by at most
//    e_xy + (X e_y + Y e_x) / n. Together:
//      |num_E - num'| <= e_xy + (X e_y + Y e_x)/n + 2u XY + 8u X Y / n,
//    and in the same way |A_E - A'| <= e_xx + 2 X e_x / n + 2u XX + 8u X X / n, likewise for B.
//    An absolute 2^-1000 covers underflow in these few operations; K covers second-order terms.
//    Every term grows as n shrinks, so bounds made for n hold for any larger divisor.
//
// 3. The correlation. Let A_min, B_min be the smallest estimated A', B' among the candidates
//    whose A' and B' exceed kBoundedRatio times their bounds, so that a = e_A / A_min and
//    b = e_B / B_min are at most 1/1024 and the literal A_E, B_E are positive. With r' the real
//    num' / sqrt(A' B'):
//      |num_E / sqrt(A_E B_E) - r'| <= e_num / sqrt((A_min - e_A)(B_min - e_B)) + |r'| rho,
//    where rho = 1 / sqrt((1-a)(1-b)) - 1 <= 0.6 (a + b). Both the literal r and the estimate
//    round the product, the square root and the division: 3.01 u relative each. So every bounded
//    candidate's literal r lies within
//      delta = e_num / sqrt((A_min - e_A)(B_min - e_B)) + R (0.6 (a + b) + 10 u)
//    of its estimate, R the largest |estimate| (or any number above it: delta only grows). The
//    same holds, with magnitudes, when A' and B' are both negative: A_E and B_E then have their
//    signs. The value returned carries one more factor K so that the caller's own subtractions
//    (each rounded, relative error u) cannot shrink a margin below the true delta.
//
// Decisions made with delta (column_elimination.cpp): a candidate is set aside when its estimate
// lies more than 2 delta below the best estimate, or more than delta below the exact r shared by
// the already removed columns; its literal r is then strictly below another candidate's literal r,
// so it cannot be chosen. With carried sums the removed columns' r is only estimated, with a
// delta' of its own: they are set aside when their estimate lies more than delta + delta' below
// the best one. Every other candidate is recomputed exactly, in ascending order, and
// the literal rule (strictly greater, best starting at -1.0, lowest column on ties, NaN never
// chosen) decides among them. Infinite or NaN bounds make every comparison fail, which sends all
// candidates to exact recomputation.

#include <cmath>

namespace kova {
namespace {

constexpr double kUnit = 0x1p-53;
constexpr double kSlack = 1.0 + 0x1p-10;  // the factor K above
constexpr double kUnderflow = 0x1p-1000;

}  // namespace

FormulaBounds formula_bounds(const PairSums& step, const MagnitudeSums& magnitudes, const SumDrift& drift,
                             std::size_t terms, std::int32_t divisor) {
  const double g = (static_cast<double>(terms) + 6.0) * kUnit;
  const double x = magnitudes.x * kSlack;
  const double y = magnitudes.y * kSlack;
  const double xy = magnitudes.xy * kSlack;
  const double xx = step.sxx * kSlack;
  const double yy = step.syy * kSlack;
  const double ex = kSlack * (drift.x + g * x), ey = kSlack * (drift.y + g * y), exy = kSlack * (drift.xy + g * xy);
  const double exx = kSlack * (drift.xx + g * xx), eyy = kSlack * (drift.yy + g * yy);
  // The few roundings of these bounds themselves are inside the outer factor K.
  const double inverse = 1.0 / static_cast<double>(divisor);
  FormulaBounds bounds;
  bounds.num = kSlack * (exy + (x * ey + y * ex + 8.0 * kUnit * x * y) * inverse + 2.0 * kUnit * xy) + kUnderflow;
  bounds.a = kSlack * (exx + (2.0 * x * ex + 8.0 * kUnit * x * x) * inverse + 2.0 * kUnit * xx) + kUnderflow;
  bounds.b = kSlack * (eyy + (2.0 * y * ey + 8.0 * kUnit * y * y) * inverse + 2.0 * kUnit * yy) + kUnderflow;
  return bounds;
}

double correlation_spread(const FormulaBounds& bounds, double min_a, double min_b, double max_abs_r) {
  const double a = bounds.a / min_a;
  const double b = bounds.b / min_b;
  const double spread =
      bounds.num / std::sqrt((min_a - bounds.a) * (min_b - bounds.b)) + max_abs_r * (0.6 * (a + b) + 10.0 * kUnit);
  return kSlack * kSlack * spread + kUnderflow;
}

}  // namespace kova
