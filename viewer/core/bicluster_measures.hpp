#pragma once
// How strongly a bicluster's genes really correlate over its samples: the plain Pearson r of every
// pair of its genes, summed up as smallest, median and largest. The search's own correlation
// divides by a count that includes removed and zero columns, so a pair can pass its threshold with
// a plain r far below it; these measures say so.

#include <atomic>
#include <cstdint>
#include <span>
#include <vector>

#include "kova/matrix.hpp"
#include "viewer/core/run_data.hpp"

namespace kova::viewer {

struct PlainCorrelation {
  // Over the pairs whose r is defined; NaN when none is.
  double smallest = 0;
  double median = 0;
  double largest = 0;
  std::int64_t pairs = 0;      // all pairs of genes
  std::int64_t undefined = 0;  // pairs with a gene that is constant over the samples
};

// Plain Pearson r of two rows over `samples` (0-based); NaN when either row is constant there.
// Two-pass: the means first, then the centred sums, all in double.
double plain_r(std::span<const double> x, std::span<const double> y, std::span<const std::int32_t> samples);

// The pairs of `rows` over `samples` (0-based).
PlainCorrelation plain_correlation(const GeneTable& table, std::span<const std::int32_t> rows,
                                   std::span<const std::int32_t> samples);

// Every bicluster of the run, in file order. Returns early, with fewer entries, once `stop` is set.
std::vector<PlainCorrelation> plain_correlations(const LoadedRun& run, const std::atomic<bool>& stop);

}  // namespace kova::viewer
