#pragma once
// The estimates of one elimination step for all its present candidates at once, in two passes. The
// first runs a vector of candidates at a time and gives each candidate an approximation of its
// estimate (from a reciprocal square root instruction refined by a Newton step: with 512-bit
// instructions its double-precision one, at the other widths of x86 its single-precision one;
// elsewhere the estimate itself); the second takes the few whose approximation lies near the top,
// computes their estimates exactly (estimate_without), and keeps those that the bound cannot set
// aside.

#include <cstddef>
#include <span>
#include <vector>

#include "engine/model/correlation.hpp"

namespace kova {

// The step: its sums, the candidates' values (each candidate leaves out one column) and 1/n.
struct StepRows {
  const PairSums& step;
  std::span<const double> x, y;
  double inverse_divisor;
};

// A candidate is bounded when its estimated A exceeds cut_a, its B exceeds cut_b, A*B lies in
// [2^-1000, 2^1000] and |num| below 2^500, so that its estimate and the approximation are finite
// and normal enough for the relative error bound below.
struct EstimateSummary {
  // Over the bounded candidates, and possibly some whose other parts are NaN (never more than
  // the bounded ones' minima nor less than their maximum, and above the cuts where there is one):
  double min_a, min_b;  // smallest A and B; infinite when there is none
  double max_abs_num;   // largest |num|; 0 when there is none
  double top;           // largest approximation; -infinity when there is none
};

// An approximation lies within kApproximation |estimate| + 2^-1000 of the estimate.
inline constexpr double kApproximation = 0x1p-20;

// approx[k] = the approximation of candidate k when it is bounded, NaN when it is not. `width`
// picks the instructions (vector_width.hpp); tests pass each one.
EstimateSummary estimate_candidates(const StepRows& rows, double cut_a, double cut_b, double* approx, int width);

// An upper bound on |estimate| of every bounded candidate, from the same correctly rounded
// operations as the estimates (each monotone): max |num| / sqrt(min A * min B).
double largest_estimate(const EstimateSummary& summary);

// The first `count` entries of `index` and `r` hold the contenders (the vectors are kept large
// enough for every candidate of a step, so that collecting them allocates nothing).
struct Contenders {
  std::vector<std::size_t> index;  // ascending
  std::vector<double> r;           // each one's estimate; NaN when it is not bounded
  std::size_t count = 0;
  double best = 0.0;  // the largest bounded estimate; -infinity when there is none
};

// Every candidate that is not set aside: not more than 2 spread below the best estimate, nor more
// than `spread` below `removed_r` (never when that is NaN); the unbounded ones always stay.
// `summary` and `largest` as from estimate_candidates and largest_estimate. The result depends on
// no approximation's bits.
void collect_contenders(const StepRows& rows, std::span<const double> approx, const EstimateSummary& summary,
                        double largest, double spread, double removed_r, Contenders& out, int width);

}  // namespace kova
