#include "engine/bounds/elimination_bounds.hpp"

// The error analysis, step by step: docs/error-analysis.md, elimination bounds (notation, the
// terms, steps 1 to 3, and the decisions made with delta).

#include <cmath>

namespace kova {
namespace {

constexpr double kUnit = 0x1p-53;
constexpr double kSlack = 1.0 + 0x1p-10;  // the analysis's factor K
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
