#include "engine/search/column_elimination.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/kernels/candidate_estimates.hpp"
#include "engine/bounds/elimination_bounds.hpp"
#include "engine/kernels/exact_candidates.hpp"
#include "engine/kernels/vector_width.hpp"

namespace kova {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kLargest = std::numeric_limits<double>::max();
constexpr double kLowestProduct = 0x1p-1000;  // |A B| above it keeps the literal product from underflow

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

  sums_.refresh(x_.span(), y_.span());
  known_r_ = kNaN;
  std::int32_t h = samples_;
  while (h >= 3) {
    // One set of bounds for the step: made for the candidates' divisor, they hold for the step's
    // own r (divisor h) too.
    FormulaBounds bounds = formula_bounds(sums_.step(), sums_.magnitudes(), sums_.drift(), column_.size(), h - 1);
    if (reaches(threshold, h, bounds)) break;
    const std::int32_t position = choose(h - 1, bounds);
    if (position >= 0) {
      const auto at = static_cast<std::size_t>(position);
      const double gone_x = x_[at], gone_y = y_[at];
      erase(at);
      sums_.remove(gone_x, gone_y, x_.span(), y_.span());
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

bool ColumnEliminator::reaches(double threshold, std::int32_t h, FormulaBounds& bounds) {
  // The column removed last was chosen on this very r: the literal r of the present columns with
  // divisor h is the one its candidate had, within that step's spread.
  const double known = known_r_;
  known_r_ = kNaN;
  if (known - threshold > known_spread_) return true;
  if (threshold - known > known_spread_) return false;
  // Carried sums decide when their bound does; a step too close to call gets the literal sums.
  if (!sums_.exact()) {
    const CorrelationParts parts = correlation_parts(sums_.step(), h);
    const double r = parts.num / std::sqrt(parts.a * parts.b);
    if (parts.a > kBoundedRatio * bounds.a && parts.b > kBoundedRatio * bounds.b && std::fabs(r) <= kLargest) {
      const double spread = correlation_spread(bounds, parts.a, parts.b, std::fabs(r));
      if (r - threshold > spread) return true;
      if (threshold - r > spread) return false;
    }
    sums_.refresh(x_.span(), y_.span());
    bounds = formula_bounds(sums_.step(), sums_.magnitudes(), sums_.drift(), column_.size(), h - 1);
  }
  return correlation(sums_.step(), h) >= threshold;
}

std::int32_t ColumnEliminator::choose(std::int32_t divisor, const FormulaBounds& bounds) {
  const std::size_t m = column_.size();
  const bool has_removed = lowest_removed_ < samples_;
  const PairSums& step = sums_.step();
  const double inverse = 1.0 / static_cast<double>(divisor);

  // Bounded candidates are approximated, the others get NaN, which no comparison sets aside, so
  // they are recomputed exactly.
  const double cut_a = kBoundedRatio * bounds.a, cut_b = kBoundedRatio * bounds.b;
  approx_.resize(m);
  const StepRows rows{step, x_.span(), y_.span(), inverse};
  const EstimateSummary summary = estimate_candidates(rows, cut_a, cut_b, approx_.data(), vector_width());
  const double largest = largest_estimate(summary);
  const double spread = correlation_spread(bounds, summary.min_a, summary.min_b, largest);

  // Leaving out a removed column changes no sum: all removed candidates share the step's r with
  // divisor h - 1. From the literal sums that r is exact.
  double removed_r = has_removed && sums_.exact() ? correlation(step, divisor) : kNaN;
  collect_contenders(rows, approx_, summary, largest, spread, removed_r, contenders_, vector_width());

  // From carried sums it is one more estimate: its A and B lie within their bounds of the literal
  // ones, so where both exceed kBoundedRatio times their bounds the literal A and B have their
  // signs. Opposite signs, with a product far from underflow, make the literal r NaN, never
  // chosen; the same signs (both negative is possible, the divisor not being the number of
  // columns) give an estimate with a spread of its own. Unless either sets the removed columns
  // aside, the literal sums give their exact r.
  bool removed_in_play = has_removed;  // whether the removed columns may still be the literal choice
  if (has_removed && !sums_.exact()) {
    const CandidateEstimate e = estimate_without(step, 0.0, 0.0, inverse);
    const bool signs_known = std::fabs(e.a) > cut_a && std::fabs(e.b) > cut_b;
    const bool never = signs_known && e.a * e.b <= -kLowestProduct;
    const bool bounded = signs_known && !never && std::fabs(e.r) <= kLargest;
    const double own_spread =
        bounded ? correlation_spread(bounds, std::fabs(e.a), std::fabs(e.b), std::fabs(e.r)) : kNaN;
    if (never || (bounded && contenders_.best - e.r > spread + own_spread)) {
      removed_in_play = false;
    } else {
      sums_.refresh(x_.span(), y_.span());
      removed_r = correlation(sums_.step(), divisor);
    }
  }

  // One bounded contender that is provably above -1.0 and above the removed columns' r wins as
  // the literal search would have it, without its exact r.
  if (contenders_.count == 1) {
    const double r = contenders_.r[0];
    const bool above_floor = r + 1.0 > spread;
    const bool above_removed = !removed_in_play || r - removed_r > spread;
    if (!std::isnan(r) && above_floor && above_removed) {
      known_r_ = r;
      known_spread_ = spread;
      return static_cast<std::int32_t>(contenders_.index[0]);
    }
  }

  // The literal rule, in ascending column order, over the contenders and the lowest removed
  // column (the other removed columns share its r and lose ties to it), all exact.
  exact_r_.resize(contenders_.count);
  exact_candidates(x_.span(), y_.span(), std::span<const std::size_t>(contenders_.index.data(), contenders_.count),
                   divisor, exact_r_.data(), vector_width());
  double best_exact = -1.0;
  std::int32_t chosen = -1;
  bool removed_pending = removed_in_play;
  for (std::size_t i = 0; i < contenders_.count; ++i) {
    const std::size_t k = contenders_.index[i];
    if (removed_pending && lowest_removed_ < column_[k]) {
      removed_pending = false;
      if (removed_r > best_exact) {
        best_exact = removed_r;
        chosen = -1;
      }
    }
    const double r = exact_r_[i];
    if (r > best_exact) {
      best_exact = r;
      chosen = static_cast<std::int32_t>(k);
    }
  }
  if (removed_pending && removed_r > best_exact) chosen = -1;
  if (chosen >= 0) {
    known_r_ = best_exact;
    known_spread_ = 0.0;
  }
  return chosen;
}

void ColumnEliminator::erase(std::size_t position) {
  lowest_removed_ = std::min(lowest_removed_, column_[position]);
  column_.take_out(position);
  x_.take_out(position);
  y_.take_out(position);
}

}  // namespace kova
