#pragma once
// The estimates of one elimination step for all its present candidates at once, eight lanes at a
// time where the processor allows: each candidate's r from the step's sums with its own column
// taken out (estimate_without, the same operations lane by lane, so the same bits).

#include <cstddef>
#include <span>
#include <vector>

#include "engine/correlation.hpp"

namespace kova {

struct EstimateSummary {
  // Over the bounded candidates (estimated A above cut_a, B above cut_b, finite r):
  double min_a, min_b;  // smallest A and B; infinite when there is none
  double max_abs_r;     // largest |r|; 0 when there is none
  double best;          // largest r; -infinity when there is none
};

// r[k] = the estimate of the candidate that leaves out column k of (x, y) when it is bounded,
// NaN when it is not. `width` picks the instructions (vector_width.hpp); tests pass each one.
EstimateSummary estimate_candidates(const PairSums& step, std::span<const double> x, std::span<const double> y,
                                    double inverse_divisor, double cut_a, double cut_b, double* r, int width);

// Appends, in ascending order, every k whose estimate r[k] is not set aside: not more than
// 2 spread below `best`, nor more than `spread` below `removed_r` (NaN estimates never are).
void collect_contenders(std::span<const double> r, double best, double spread, double removed_r,
                        std::vector<std::size_t>& out, int width);

}  // namespace kova
