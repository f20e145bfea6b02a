#include "engine/search/literal_search.hpp"

#include <algorithm>
#include <vector>

#include "engine/model/correlation.hpp"

namespace kova {
namespace {

bool present(const std::vector<double>& x, const std::vector<double>& y, std::int32_t s) {
  return x[s] != 0.0 || y[s] != 0.0;
}

// r over the present columns other than `skip` (-1: none), in ascending column order.
double present_correlation(const std::vector<double>& x, const std::vector<double>& y, std::int32_t skip,
                           std::int32_t divisor) {
  PairSums sums;
  for (std::int32_t s = 0; s < static_cast<std::int32_t>(x.size()); ++s) {
    if (s != skip && present(x, y, s)) sums.add(x[s], y[s]);
  }
  return correlation(sums, divisor);
}

// Eliminates columns until r reaches the threshold or fewer than three columns are counted;
// returns the final live-column count h.
std::int32_t eliminate_columns(std::vector<double>& x, std::vector<double>& y, double threshold) {
  const std::int32_t samples = static_cast<std::int32_t>(x.size());
  std::int32_t h = samples;
  while (h >= 3) {
    if (present_correlation(x, y, -1, h) >= threshold) break;
    double best = -1.0;
    std::int32_t chosen = -1;
    for (std::int32_t c = 0; c < samples; ++c) {
      const double r = present_correlation(x, y, c, h - 1);
      if (r > best) {
        best = r;
        chosen = c;
      }
    }
    // No candidate above -1.0 (all NaN, say): nothing is removed, but h falls all the same, as if
    // an already removed column had been chosen.
    if (chosen >= 0) {
      x[chosen] = 0.0;
      y[chosen] = 0.0;
    }
    --h;
  }
  return h;
}

double selected_correlation(std::span<const double> x, std::span<const double> y,
                            const std::vector<std::int32_t>& flags, std::int32_t selected) {
  PairSums sums;
  for (std::size_t s = 0; s < flags.size(); ++s) {
    if (flags[s] != 0) sums.add(x[s], y[s]);
  }
  return correlation(sums, selected);
}

}  // namespace

std::int32_t literal_search(const GeneTable& table, double threshold, std::int32_t max_biclusters,
                            BiclusterSink& sink) {
  const std::int32_t genes = table.genes();
  const std::int32_t samples = table.samples();
  std::vector<std::int32_t> assigned(static_cast<std::size_t>(genes), 0);
  std::vector<std::int32_t> flags(static_cast<std::size_t>(samples), 0);
  std::vector<std::int32_t> members;
  members.reserve(static_cast<std::size_t>(genes));
  std::vector<double> x(static_cast<std::size_t>(samples));
  std::vector<double> y(static_cast<std::size_t>(samples));
  std::int32_t found = 0;

  for (std::int32_t i = 0; i < genes; ++i) {
    if (assigned[i] != 0) continue;
    for (std::int32_t j = i + 1; j < genes; ++j) {
      if (assigned[j] != 0) continue;
      std::copy(table.row(i).begin(), table.row(i).end(), x.begin());
      std::copy(table.row(j).begin(), table.row(j).end(), y.begin());
      if (eliminate_columns(x, y, threshold) < 3) continue;

      std::int32_t selected = 0;
      for (std::int32_t s = 0; s < samples; ++s) {
        flags[s] = (x[s] != 0.0 && y[s] != 0.0) ? 1 : 0;
        selected += flags[s];
      }
      if (selected < 3) continue;

      members.assign({i, j});
      for (std::int32_t p = 0; p < genes; ++p) {
        if (assigned[p] != 0 || p == i || p == j) continue;
        const bool joins = std::all_of(members.begin(), members.end(), [&](std::int32_t m) {
          return selected_correlation(table.row(p), table.row(m), flags, selected) >= threshold;
        });
        if (joins) members.push_back(p);
      }

      sink.accept({found + 1, members, flags, selected});
      for (std::int32_t m : members) assigned[m] = 1;
      ++found;
      if (found >= max_biclusters) break;
    }
    if (found >= max_biclusters) break;
  }
  return found;
}

}  // namespace kova
