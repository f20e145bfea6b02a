#pragma once
// Column elimination of one seed pair, with the same result as the literal search but O(S) work
// per step in the usual case: the step's five sums are carried from step to step (running_sums.hpp),
// and a candidate is recomputed exactly only when the bound of elimination_bounds.hpp cannot tell
// it apart from the best one. Decisions too close for the bound get the literal sums.

#include <cstdint>
#include <span>
#include <vector>

#include "engine/kernels/candidate_estimates.hpp"
#include "engine/model/correlation.hpp"
#include "engine/search/running_sums.hpp"
#include "engine/search/shrinking_row.hpp"

namespace kova {

// Scratch space of one worker; reused for every pair it eliminates. A cache line of its own: the
// workers' eliminators sit side by side and change their state at every step.
class alignas(64) ColumnEliminator {
 public:
  // Eliminates columns of the pair (x, y) and selects its samples. Returns the number of selected
  // samples, with `flags` (size S) set to 1 for each, when the pair yields a bicluster; otherwise
  // returns 0 (and `flags` holds nothing of use).
  std::int32_t eliminate(std::span<const double> x, std::span<const double> y, double threshold,
                         std::span<std::int32_t> flags);

 private:
  // Whether the present columns' r with divisor h reaches the threshold, as the literal search
  // computes it. `bounds` are the step's, made again when the sums are added up afresh.
  bool reaches(double threshold, std::int32_t h, FormulaBounds& bounds);
  // Picks the column the literal search would remove in this step: returns its position among
  // the present columns, or -1 when the literal search removes an already removed column or
  // none, both of which leave the rows as they are.
  std::int32_t choose(std::int32_t divisor, const FormulaBounds& bounds);
  void erase(std::size_t position);

  // The present columns of the working rows, ascending: column number and both values.
  ShrinkingRow<std::int32_t> column_;
  ShrinkingRow<double> x_, y_;
  std::int32_t lowest_removed_ = 0;  // lowest column 0 in both rows; S when there is none
  std::int32_t samples_ = 0;
  RunningSums sums_;  // the step's five sums over the present columns
  // The next step's r as this step's choice found it (NaN when unknown), within known_spread_.
  double known_r_ = 0.0, known_spread_ = 0.0;
  // Per present column: the approximate estimate of the step's candidate that leaves it out.
  std::vector<double> approx_;
  Contenders contenders_;
  std::vector<double> exact_r_;  // the contenders' literal r, in their order
};

}  // namespace kova
