#include "viewer/core/bicluster_measures.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kova::viewer {
namespace {

constexpr double kUndefined = std::numeric_limits<double>::quiet_NaN();

// A row's values over the samples minus their mean; empty when the row is constant there (or
// holds a value that is not finite), which leaves its correlations undefined.
std::vector<double> centred_over(std::span<const double> row, std::span<const std::int32_t> samples) {
  std::vector<double> values;
  values.reserve(samples.size());
  for (std::int32_t s : samples) values.push_back(row[static_cast<std::size_t>(s)]);
  const bool finite = std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
  const bool constant = std::adjacent_find(values.begin(), values.end(), std::not_equal_to<>()) == values.end();
  if (!finite || constant) return {};
  double sum = 0;
  for (double v : values) sum += v;
  const double mean = sum / static_cast<double>(values.size());
  for (double& v : values) v -= mean;
  return values;
}

double correlation_of_centred(const std::vector<double>& x, const std::vector<double>& y) {
  if (x.empty() || y.empty()) return kUndefined;
  double sxy = 0;
  double sxx = 0;
  double syy = 0;
  for (std::size_t s = 0; s < x.size(); ++s) {
    sxy += x[s] * y[s];
    sxx += x[s] * x[s];
    syy += y[s] * y[s];
  }
  if (sxx == 0 || syy == 0) return kUndefined;
  // Rounding can carry a perfect correlation a hair beyond 1.
  return std::clamp(sxy / std::sqrt(sxx * syy), -1.0, 1.0);
}

double median_of(std::vector<double>& values) {
  const std::size_t middle = values.size() / 2;
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle), values.end());
  const double upper = values[middle];
  if (values.size() % 2 == 1) return upper;
  const double lower = *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(middle));
  return lower + (upper - lower) / 2;
}

}  // namespace

double plain_r(std::span<const double> x, std::span<const double> y, std::span<const std::int32_t> samples) {
  return correlation_of_centred(centred_over(x, samples), centred_over(y, samples));
}

PlainCorrelation plain_correlation(const GeneTable& table, std::span<const std::int32_t> rows,
                                   std::span<const std::int32_t> samples) {
  std::vector<std::vector<double>> centred;
  centred.reserve(rows.size());
  for (std::int32_t row : rows) centred.push_back(centred_over(table.row(row), samples));

  PlainCorrelation result;
  std::vector<double> defined;
  for (std::size_t i = 0; i < centred.size(); ++i) {
    for (std::size_t j = i + 1; j < centred.size(); ++j) {
      const double r = correlation_of_centred(centred[i], centred[j]);
      ++result.pairs;
      if (std::isnan(r))
        ++result.undefined;
      else
        defined.push_back(r);
    }
  }
  if (defined.empty()) {
    result.smallest = result.median = result.largest = kUndefined;
    return result;
  }
  const auto [low, high] = std::minmax_element(defined.begin(), defined.end());
  result.smallest = *low;
  result.largest = *high;
  result.median = median_of(defined);
  return result;
}

std::vector<PlainCorrelation> plain_correlations(const LoadedRun& run, const std::atomic<bool>& stop) {
  std::vector<PlainCorrelation> all;
  all.reserve(run.biclusters.size());
  std::vector<std::int32_t> samples;
  for (std::size_t b = 0; b < run.biclusters.size() && !stop.load(std::memory_order_relaxed); ++b) {
    samples.clear();
    for (std::int32_t s : run.biclusters[b].samples) samples.push_back(s - 1);
    all.push_back(plain_correlation(run.table, run.gene_rows[b], samples));
  }
  return all;
}

}  // namespace kova::viewer
