#include "engine/search/running_sums.hpp"

#include <cmath>

// The drift. Let T_0 be the ascending sum of one chain over m0 columns and V0 the sum of its
// terms' magnitudes; T_j = fl(T_{j-1} - v) after j removals. With R_j the real sum of the terms
// left, |T_0 - R_0| <= gamma(m0 - 1) V0 and each subtraction adds at most u |T_{j-1} - v| <=
// u (V0 + |T_{j-1} - R_{j-1}|), so |T_j - R_j| <= (m0 + j) u V0 (1 + (m0 + j) u): the last factor,
// below 1 + 2^-22 for any matrix the engine loads, is absorbed by the factor K below. Right after
// a refresh that is m u V, the ascending sum's own drift.
//
// The magnitude sums. Those of x, y and x*y are brought down by each removed column's terms, and
// those of x*x and y*y are the sums themselves. Each subtraction errs by at most u of the sum last
// added up, so while every one stays above a sixteenth of that, after at most S removals the
// value lies within 32 S u (below 2^-16 for S up to 2^32) of the real sum, and the drift of the
// sums of squares is below 32 S u of them: both far inside the factor K = 1 + 2^-10 by which
// formula_bounds inflates the magnitudes. Below a sixteenth everything is added up afresh.

namespace kova {
namespace {

constexpr double kUnit = 0x1p-53;

}  // namespace

void RunningSums::refresh(std::span<const double> x, std::span<const double> y) {
  // Locals of their own, so that the five chains stay in registers.
  PairSums step;
  MagnitudeSums magnitudes;
  for (std::size_t k = 0; k < x.size(); ++k) {
    step.add(x[k], y[k]);
    magnitudes.x += std::fabs(x[k]);
    magnitudes.y += std::fabs(y[k]);
    magnitudes.xy += std::fabs(x[k] * y[k]);
  }
  step_ = step;
  now_ = magnitudes;
  fresh_ = {magnitudes.x, magnitudes.y, step.sxx, step.syy, magnitudes.xy};
  terms_ = static_cast<double>(x.size());
  removed_ = 0;
}

void RunningSums::remove(double x, double y, std::span<const double> xs, std::span<const double> ys) {
  step_.sx -= x;
  step_.sy -= y;
  step_.sxx -= x * x;
  step_.syy -= y * y;
  step_.sxy -= x * y;
  now_.x -= std::fabs(x);
  now_.y -= std::fabs(y);
  now_.xy -= std::fabs(x * y);
  ++removed_;
  const bool large = now_.x >= fresh_.x / 16.0 && now_.y >= fresh_.y / 16.0 && now_.xy >= fresh_.xy / 16.0 &&
                     step_.sxx >= fresh_.xx / 16.0 && step_.syy >= fresh_.yy / 16.0;
  if (!large) refresh(xs, ys);
}

SumDrift RunningSums::drift() const {
  const double g = (terms_ + static_cast<double>(removed_)) * kUnit;
  return {g * fresh_.x, g * fresh_.y, g * fresh_.xx, g * fresh_.yy, g * fresh_.xy};
}

}  // namespace kova
