#include "engine/column_elimination.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/candidate_estimates.hpp"
#include "engine/vector_width.hpp"

namespace kova {
namespace {

// The step's exact sums, each the literal ascending chain; a local of its own, so that the
// chains stay in registers.
PairSums sum_step(const std::vector<double>& x, const std::vector<double>& y) {
  PairSums step;
  for (std::size_t k = 0; k < x.size(); ++k) step.add(x[k], y[k]);
  return step;
}

MagnitudeSums sum_magnitudes(const std::vector<double>& x, const std::vector<double>& y) {
  MagnitudeSums magnitudes;
  for (std::size_t k = 0; k < x.size(); ++k) {
    magnitudes.x += std::fabs(x[k]);
    magnitudes.y += std::fabs(y[k]);
    magnitudes.xy += std::fabs(x[k] * y[k]);
  }
  return magnitudes;
}

// The magnitude sums only bound: after a column goes they are brought down by its terms instead
// of being added up again. Each such subtraction errs by at most u of the sum last added up, so
// while every sum stays above a sixteenth of that one, after at most S subtractions the value lies
// within 32 S u (below 2^-28 for S up to 2^20) of the real sum: far inside the factor K = 1 + 2^-10
// by which formula_bounds inflates it. Below a sixteenth they are added up afresh.
class RunningMagnitudes {
 public:
  void reset(const std::vector<double>& x, const std::vector<double>& y) {
    now_ = fresh_ = sum_magnitudes(x, y);
  }
  void remove(double x, double y, const std::vector<double>& xs, const std::vector<double>& ys) {
    now_.x -= std::fabs(x);
    now_.y -= std::fabs(y);
    now_.xy -= std::fabs(x * y);
    if (!(now_.x >= fresh_.x / 16.0 && now_.y >= fresh_.y / 16.0 && now_.xy >= fresh_.xy / 16.0)) reset(xs, ys);
  }
  const MagnitudeSums& sums() const { return now_; }

 private:
  MagnitudeSums now_, fresh_;
};

}  // namespace

std::int32_t ColumnEliminator::eliminate(std::span<const double> x, std::span<const double> y, double threshold,
                                         std::span<std::int32_t> flags) {
  samples_ = static_cast<std::int32_t>(x.size());
  column_.clear();
  x_.clear();
  y_.clear();
  lowest_removed_ = samples_;
  for (std::int32_t s = 0; s < samples_; ++s) {
    if (x[s] != 0.0 || y[s] != 0.0) {
      column_.push_back(s);
      x_.push_back(x[s]);
      y_.push_back(y[s]);
    } else if (lowest_removed_ == samples_) {
      lowest_removed_ = s;
    }
  }

  PairSums step;
  RunningMagnitudes magnitudes;
  magnitudes.reset(x_, y_);
  bool changed = true;  // a step that removes nothing leaves the sums as they were
  std::int32_t h = samples_;
  while (h >= 3) {
    if (changed) step = sum_step(x_, y_);
    if (correlation(step, h) >= threshold) break;
    const std::int32_t position = choose(step, magnitudes.sums(), h - 1);
    changed = position >= 0;
    if (changed) {
      const auto at = static_cast<std::size_t>(position);
      const double gone_x = x_[at], gone_y = y_[at];
      erase(at);
      magnitudes.remove(gone_x, gone_y, x_, y_);
    }
    --h;
  }
  if (h < 3) return 0;

  std::fill(flags.begin(), flags.end(), 0);
  std::int32_t selected = 0;
  for (std::size_t k = 0; k < column_.size(); ++k) {
    if (x_[k] != 0.0 && y_[k] != 0.0) {
      flags[column_[k]] = 1;
      ++selected;
    }
  }
  return selected >= 3 ? selected : 0;
}

std::int32_t ColumnEliminator::choose(const PairSums& step, const MagnitudeSums& magnitudes, std::int32_t divisor) {
  const std::size_t m = column_.size();
  const bool has_removed = lowest_removed_ < samples_;
  // Leaving out a removed column changes no sum: all removed candidates share this exact r.
  const double removed_r = has_removed ? correlation(step, divisor) : std::numeric_limits<double>::quiet_NaN();

  // Bounded candidates keep their estimate; the others get NaN, which no comparison below sets
  // aside, so they are recomputed exactly.
  const FormulaBounds bounds = formula_bounds(step, magnitudes, m, divisor);
  r_.resize(m);
  const EstimateSummary summary = estimate_candidates(step, x_, y_, 1.0 / static_cast<double>(divisor),
                                                      kBoundedRatio * bounds.a, kBoundedRatio * bounds.b, r_.data(),
                                                      widest_vectors());
  const double best = summary.best;
  const double spread = correlation_spread(bounds, summary.min_a, summary.min_b, summary.max_abs_r);

  contenders_.clear();
  collect_contenders(r_, best, spread, removed_r, contenders_, widest_vectors());

  // One bounded contender that is provably above -1.0 and above the removed columns' r wins as
  // the literal search would have it, without its exact r.
  if (contenders_.size() == 1) {
    const double r = r_[contenders_[0]];
    const bool above_floor = r + 1.0 > spread;
    const bool above_removed = std::isnan(removed_r) || r - removed_r > spread;
    if (!std::isnan(r) && above_floor && above_removed) return static_cast<std::int32_t>(contenders_[0]);
  }

  // The literal rule, in ascending column order, over the contenders and the lowest removed
  // column (the other removed columns share its r and lose ties to it).
  double best_exact = -1.0;
  std::int32_t chosen = -1;
  bool removed_pending = has_removed;
  for (const std::size_t k : contenders_) {
    if (removed_pending && lowest_removed_ < column_[k]) {
      removed_pending = false;
      if (removed_r > best_exact) {
        best_exact = removed_r;
        chosen = -1;
      }
    }
    const double r = exact_without(k, divisor);
    if (r > best_exact) {
      best_exact = r;
      chosen = static_cast<std::int32_t>(k);
    }
  }
  if (removed_pending && removed_r > best_exact) chosen = -1;
  return chosen;
}

double ColumnEliminator::exact_without(std::size_t position, std::int32_t divisor) const {
  PairSums sums;
  for (std::size_t k = 0; k < column_.size(); ++k) {
    if (k != position) sums.add(x_[k], y_[k]);
  }
  return correlation(sums, divisor);
}

void ColumnEliminator::erase(std::size_t position) {
  lowest_removed_ = std::min(lowest_removed_, column_[position]);
  column_.erase(column_.begin() + static_cast<std::ptrdiff_t>(position));
  x_.erase(x_.begin() + static_cast<std::ptrdiff_t>(position));
  y_.erase(y_.begin() + static_cast<std::ptrdiff_t>(position));
}

}  // namespace kova
