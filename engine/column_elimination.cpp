#include "engine/column_elimination.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/candidate_estimates.hpp"
#include "engine/vector_width.hpp"

namespace kova {
namespace {

// The step's exact sums (each the literal ascending chain) and its magnitude sums, accumulated in
// locals so that the eight chains stay in registers.
void sum_step(const std::vector<double>& x, const std::vector<double>& y, PairSums& step, MagnitudeSums& magnitudes) {
  double sx = 0.0, sy = 0.0, sxx = 0.0, syy = 0.0, sxy = 0.0, ax = 0.0, ay = 0.0, axy = 0.0;
  for (std::size_t k = 0; k < x.size(); ++k) {
    const double xk = x[k], yk = y[k], product = xk * yk;
    sx += xk;
    sy += yk;
    sxx += xk * xk;
    syy += yk * yk;
    sxy += product;
    ax += std::fabs(xk);
    ay += std::fabs(yk);
    axy += std::fabs(product);
  }
  step = {sx, sy, sxx, syy, sxy};
  magnitudes = {ax, ay, axy};
}

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
  MagnitudeSums magnitudes;
  bool changed = true;  // a step that removes nothing leaves the sums as they were
  std::int32_t h = samples_;
  while (h >= 3) {
    if (changed) {
      sum_step(x_, y_, step, magnitudes);
    }
    if (correlation(step, h) >= threshold) break;
    const std::int32_t position = choose(step, magnitudes, h - 1);
    changed = position >= 0;
    if (changed) erase(static_cast<std::size_t>(position));
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
  collect_contenders(r_, best, spread, removed_r, contenders_);

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
