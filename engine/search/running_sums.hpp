#pragma once
// The five sums of an elimination step, carried from step to step: when a column goes its terms
// are taken out, instead of adding up every remaining column again. Each such subtraction rounds
// once, so the sums drift from the ascending sums the literal search computes; drift() bounds by
// how much, which the estimates' bound (elimination_bounds.hpp) takes in. Where a decision needs
// the literal sums themselves, the caller adds them up afresh.

#include <cstddef>
#include <span>

#include "engine/model/correlation.hpp"
#include "engine/bounds/elimination_bounds.hpp"

namespace kova {

class RunningSums {
 public:
  // The ascending sums of (x, y) and their magnitude sums: exact() holds until the next removal.
  void refresh(std::span<const double> x, std::span<const double> y);
  // Takes the column (x, y) out; `xs` and `ys` are the columns left, for a refresh when the sums
  // have shrunk too far for their bound.
  void remove(double x, double y, std::span<const double> xs, std::span<const double> ys);

  // Whether the sums are the ascending sums of the present columns, as the literal search has them.
  bool exact() const { return removed_ == 0; }
  const PairSums& step() const { return step_; }
  const MagnitudeSums& magnitudes() const { return now_; }
  SumDrift drift() const;

 private:
  PairSums step_;
  MagnitudeSums now_;
  SumDrift fresh_;           // the magnitude sums of all five chains at the last refresh
  double terms_ = 0.0;       // columns at the last refresh
  std::size_t removed_ = 0;  // columns taken out since
};

}  // namespace kova
