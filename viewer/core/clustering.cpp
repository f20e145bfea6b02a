#include "viewer/core/clustering.hpp"

#include <algorithm>
#include <cmath>

#include "viewer/core/bicluster_measures.hpp"
#include "viewer/core/heatmap_model.hpp"

namespace kova::viewer {
namespace {

struct Node {
  std::size_t first_item;  // the lowest item below it
  std::size_t left = 0;    // children, as node ids; equal for a leaf
  std::size_t right = 0;
  bool leaf = true;
};

std::vector<std::size_t> leaves_in_order(const std::vector<Node>& nodes, std::size_t root) {
  std::vector<std::size_t> order;
  std::vector<std::size_t> stack{root};
  while (!stack.empty()) {
    const Node& node = nodes[stack.back()];
    stack.pop_back();
    if (node.leaf) {
      order.push_back(node.first_item);
      continue;
    }
    stack.push_back(node.right);
    stack.push_back(node.left);
  }
  return order;
}

// The first active slot other than `except`.
std::size_t first_active(const std::vector<bool>& active, std::size_t except) {
  std::size_t slot = 0;
  while (!active[slot] || slot == except) ++slot;
  return slot;
}

double one_minus_r(std::span<const double> x, std::span<const double> y, std::span<const std::int32_t> over) {
  const double r = plain_r(x, y, over);
  return std::isnan(r) ? 1.0 : 1.0 - r;
}

template <typename T>
std::vector<T> permuted(std::span<const T> items, const std::vector<std::size_t>& order) {
  std::vector<T> result;
  result.reserve(order.size());
  for (std::size_t i : order) result.push_back(items[i]);
  return result;
}

}  // namespace

// Nearest-neighbour chain: exact for average linkage, n^2 distances and time.
std::vector<std::size_t> average_linkage_order(std::size_t count,
                                               const std::function<double(std::size_t, std::size_t)>& distance) {
  if (count == 0) return {};
  std::vector<double> d(count * count, 0.0);
  for (std::size_t i = 0; i < count; ++i) {
    for (std::size_t j = i + 1; j < count; ++j) d[i * count + j] = d[j * count + i] = distance(i, j);
  }
  std::vector<Node> nodes;
  std::vector<std::size_t> node_of(count);  // per slot: the group it holds
  std::vector<std::size_t> size(count, 1);
  std::vector<bool> active(count, true);
  for (std::size_t i = 0; i < count; ++i) {
    nodes.push_back({i, i, i, true});
    node_of[i] = i;
  }
  std::vector<std::size_t> chain;
  for (std::size_t groups = count; groups > 1;) {
    if (chain.empty()) chain.push_back(first_active(active, count));
    const std::size_t a = chain.back();
    const bool has_previous = chain.size() >= 2;
    // Ties go to the previous link of the chain, which keeps the chain from turning in circles.
    std::size_t nearest = has_previous ? chain[chain.size() - 2] : first_active(active, a);
    double best = d[a * count + nearest];
    for (std::size_t c = 0; c < count; ++c) {
      if (active[c] && c != a && d[a * count + c] < best) {
        best = d[a * count + c];
        nearest = c;
      }
    }
    if (!has_previous || nearest != chain[chain.size() - 2]) {
      chain.push_back(nearest);
      continue;
    }
    chain.pop_back();
    chain.pop_back();
    const std::size_t b = nearest;
    const std::size_t kept = std::min(a, b);
    const std::size_t gone = std::max(a, b);
    for (std::size_t k = 0; k < count; ++k) {
      if (!active[k] || k == a || k == b) continue;
      const double merged = (static_cast<double>(size[kept]) * d[k * count + kept] +
                             static_cast<double>(size[gone]) * d[k * count + gone]) /
                            static_cast<double>(size[kept] + size[gone]);
      d[k * count + kept] = d[kept * count + k] = merged;
    }
    Node joined{0, node_of[kept], node_of[gone], false};
    if (nodes[joined.right].first_item < nodes[joined.left].first_item) std::swap(joined.left, joined.right);
    joined.first_item = nodes[joined.left].first_item;
    nodes.push_back(joined);
    node_of[kept] = nodes.size() - 1;
    size[kept] += size[gone];
    active[gone] = false;
    --groups;
  }
  return leaves_in_order(nodes, node_of[first_active(active, count)]);
}

ClusteredOrder clustered_order(const GeneTable& table, std::span<const std::int32_t> rows,
                               std::span<const std::int32_t> samples) {
  ClusteredOrder order;
  order.rows.assign(rows.begin(), rows.end());
  order.samples.assign(samples.begin(), samples.end());
  std::vector<std::vector<double>> centred;  // per gene, over all samples
  for (std::int32_t row : rows) centred.push_back(centred_row(table.row(row)));

  if (rows.size() > 1 && rows.size() <= kMaxClusteredItems) {
    const auto genes = average_linkage_order(
        rows.size(), [&](std::size_t i, std::size_t j) { return one_minus_r(centred[i], centred[j], samples); });
    order.rows = permuted(rows, genes);
    order.rows_clustered = true;
  }
  if (samples.size() > 1 && samples.size() <= kMaxClusteredItems) {
    // Each sample as a column over the bicluster's genes.
    std::vector<std::vector<double>> columns(samples.size(), std::vector<double>(rows.size()));
    for (std::size_t s = 0; s < samples.size(); ++s) {
      for (std::size_t g = 0; g < rows.size(); ++g) columns[s][g] = centred[g][static_cast<std::size_t>(samples[s])];
    }
    std::vector<std::int32_t> every_gene(rows.size());
    for (std::size_t g = 0; g < rows.size(); ++g) every_gene[g] = static_cast<std::int32_t>(g);
    const auto sample_order = average_linkage_order(
        samples.size(), [&](std::size_t i, std::size_t j) { return one_minus_r(columns[i], columns[j], every_gene); });
    order.samples = permuted(samples, sample_order);
    order.samples_clustered = true;
  }
  return order;
}

}  // namespace kova::viewer
