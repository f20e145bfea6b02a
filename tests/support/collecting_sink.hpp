#pragma once
// A sink that keeps every bicluster the search hands out, for comparing searches.

#include <cstdint>
#include <ostream>
#include <vector>

#include "engine/model/bicluster.hpp"
#include "engine/model/gene_table.hpp"

namespace kova::test {

struct FoundBicluster {
  std::int32_t number;
  std::vector<std::int32_t> members;
  std::vector<std::int32_t> samples;  // 0-based selected columns
  bool operator==(const FoundBicluster&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const FoundBicluster& b) {
  os << "#" << b.number << " genes";
  for (auto g : b.members) os << ' ' << g;
  os << " samples";
  for (auto s : b.samples) os << ' ' << s;
  return os;
}

class CollectingSink final : public BiclusterSink {
 public:
  void accept(const Bicluster& b) override {
    FoundBicluster found{b.number, {b.members.begin(), b.members.end()}, {}};
    for (std::size_t s = 0; s < b.sample_flags.size(); ++s) {
      if (b.sample_flags[s] == 1) found.samples.push_back(static_cast<std::int32_t>(s));
    }
    if (static_cast<std::int32_t>(found.samples.size()) != b.selected_samples) found.samples.push_back(-1);
    biclusters.push_back(std::move(found));
  }
  std::vector<FoundBicluster> biclusters;
};

// A gene table from rows given in code; names are g0, g1, ...
inline GeneTable make_table(const std::vector<std::vector<double>>& rows) {
  const auto samples = rows.empty() ? 0 : static_cast<std::int32_t>(rows[0].size());
  GeneTable table(static_cast<std::int32_t>(rows.size()), samples);
  for (std::size_t g = 0; g < rows.size(); ++g) {
    table[static_cast<std::int32_t>(g)].name = "g" + std::to_string(g);
    for (std::int32_t s = 0; s < samples; ++s) table[static_cast<std::int32_t>(g)].values[s] = rows[g][s];
  }
  return table;
}

}  // namespace kova::test
