#include "engine/search/running_sums.hpp"

#include <cmath>

// The error analysis: docs/error-analysis.md, running sums (the drift, the magnitude sums).

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
