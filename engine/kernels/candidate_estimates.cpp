#include "engine/kernels/candidate_estimates.hpp"

#include <cmath>
#include <limits>

#include "engine/kernels/kernel_set.hpp"

// The error analysis of the cutoff below: docs/error-analysis.md, candidate estimates: the list.

namespace kova {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

}  // namespace

EstimateSummary estimate_candidates(const StepRows& rows, double cut_a, double cut_b, double* approx, int width) {
  // A NaN cut bounds nothing; as an infinite one it does the same through the lanes' differences.
  if (std::isnan(cut_a) || std::isnan(cut_b)) cut_a = cut_b = kInfinity;
  const StepColumns columns{rows.step, rows.x.data(), rows.y.data(), rows.x.size(), rows.inverse_divisor};
  return kernels_at(width).elimination->estimate(columns, cut_a, cut_b, approx);
}

double largest_estimate(const EstimateSummary& summary) {
  return summary.max_abs_num / std::sqrt(summary.min_a * summary.min_b);
}

void collect_contenders(const StepRows& rows, std::span<const double> approx, const EstimateSummary& summary,
                        double largest, double spread, double removed_r, Contenders& out, int width) {
  const double cutoff = summary.top - ((3.0 * spread + 2.0 * kApproximation * largest) * (1.0 + 0x1p-10) + 0x1p-990);
  const std::size_t m = approx.size();
  if (out.index.size() < m) {
    out.index.resize(m);
    out.r.resize(m);
  }
  const StepColumns columns{rows.step, rows.x.data(), rows.y.data(), m, rows.inverse_divisor};
  const ContenderCount found = kernels_at(width).elimination->contenders(columns, approx.data(), cutoff, spread,
                                                                         removed_r, out.index.data(), out.r.data());
  out.count = found.count;
  out.best = found.best;
}

}  // namespace kova
