#include "engine/meaning/false_discovery.hpp"

#include <algorithm>
#include <numeric>
#include <stdexcept>

#include "kova/meaning.hpp"

namespace kova {

std::vector<double> benjamini_hochberg(std::span<const double> p_values, std::size_t tests) {
  if (tests < p_values.size()) throw std::invalid_argument("benjamini_hochberg: fewer tests than p-values");
  std::vector<std::size_t> order(p_values.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return p_values[a] < p_values[b]; });
  // From the largest p down: q at rank i is the least p(j) m / j over the ranks j >= i. The
  // unlisted p-values of 1 rank above every listed one and give 1 at most.
  std::vector<double> q(p_values.size());
  double least = 1.0;
  const auto m = static_cast<double>(tests);
  for (std::size_t rank = order.size(); rank > 0; --rank) {
    const std::size_t i = order[rank - 1];
    least = std::min(least, p_values[i] * m / static_cast<double>(rank));
    q[i] = least;
  }
  return q;
}

std::vector<double> benjamini_hochberg(std::span<const double> p_values) {
  return benjamini_hochberg(p_values, p_values.size());
}

}  // namespace kova
