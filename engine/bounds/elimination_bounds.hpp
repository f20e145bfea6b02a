#pragma once
// How far a candidate's correlation, estimated from the step's sums with one column taken out,
// can lie from the correlation the literal search computes for that candidate. The error analysis:
// docs/error-analysis.md, elimination bounds; column elimination relies on it to skip exact
// recomputation.

#include <cstddef>
#include <cstdint>

#include "engine/model/correlation.hpp"

namespace kova {

// Sums of magnitudes over the same columns as the step's PairSums: sum |x|, sum |y|, sum |x*y|
// (sum x*x and sum y*y are their own magnitudes).
struct MagnitudeSums {
  double x = 0.0, y = 0.0, xy = 0.0;
};

// Bounds on |literal - estimate| for the three parts of the formula, valid for every candidate of
// one step: num = Sxy - Sx*Sy/n, A = Sxx - Sx*Sx/n, B = Syy - Sy*Sy/n. Infinite or NaN when the
// sums are too large to bound; the comparisons below then fail and every candidate is exact.
struct FormulaBounds {
  double num = 0.0, a = 0.0, b = 0.0;
};

// How far each of the step's five sums may lie from the real sum of its rounded terms: for the
// ascending sum of m terms, m u times its magnitude sum; for sums carried from step to step, see
// running_sums.hpp.
struct SumDrift {
  double x = 0.0, y = 0.0, xx = 0.0, yy = 0.0, xy = 0.0;
};

// `terms` is the number of columns in the step's sums, `divisor` the candidates' n (h - 1); the
// bounds hold for every larger divisor too.
FormulaBounds formula_bounds(const PairSums& step, const MagnitudeSums& magnitudes, const SumDrift& drift,
                             std::size_t terms, std::int32_t divisor);

// A candidate's estimate is bounded only when its A and B exceed this many times their bounds;
// the others are recomputed exactly.
inline constexpr double kBoundedRatio = 1024.0;

// Bound on |literal r - estimated r| for every bounded candidate of a step, given the smallest
// estimated A and B and the largest |r| among them (or more). Includes the rounding of the
// comparisons the caller makes with it (docs/error-analysis.md, elimination step 3).
double correlation_spread(const FormulaBounds& bounds, double min_a, double min_b, double max_abs_r);

// The estimate of one candidate from the step's sums minus its own column's terms. Multiplying by
// 1/n instead of dividing is one more rounding, which formula_bounds allows for.
// `Real` is double or a vector of doubles (one lane a candidate, kernels/generic/estimates.hpp): one
// formula, so every lane gives the bits of the scalar estimate.
template <class Real>
struct EstimateParts {
  Real num, a, b;
};
template <class Real>
inline __attribute__((always_inline)) EstimateParts<Real> estimate_parts(const PairSums& step, Real x, Real y,
                                                                         double inverse_divisor) {
  const Real sx = step.sx - x;
  const Real sy = step.sy - y;
  const Real sxx = step.sxx - x * x;
  const Real syy = step.syy - y * y;
  const Real sxy = step.sxy - x * y;
  return {sxy - sx * sy * inverse_divisor, sxx - sx * sx * inverse_divisor, syy - sy * sy * inverse_divisor};
}

struct CandidateEstimate {
  double a, b, r;
};
// Always inlined, as everything the vector kernels take from other rooms (kernels/kernel_set.hpp).
inline __attribute__((always_inline)) CandidateEstimate estimate_without(const PairSums& step, double x, double y,
                                                                         double inverse_divisor) {
  const EstimateParts<double> p = estimate_parts(step, x, y, inverse_divisor);
  return {p.a, p.b, p.num / std::sqrt(p.a * p.b)};
}

}  // namespace kova
