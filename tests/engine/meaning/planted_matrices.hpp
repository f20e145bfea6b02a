#pragma once
// Small generated matrices for the meaning tests: a co-expression module planted first in the
// file among independent noise, and noise alone (normal values, or zero-rich counts), each from a
// seed; and the biclusters a search finds in them.

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

#include "kova/meaning.hpp"
#include "kova/search.hpp"

namespace kova::test {

class Draws {
 public:
  explicit Draws(std::uint64_t seed) : engine_(seed) {}
  double uniform() { return (static_cast<double>(engine_() >> 11) + 0.5) * 0x1.0p-53; }
  double normal() {  // Box-Muller: the library's distributions differ between libraries
    return std::sqrt(-2 * std::log(uniform())) * std::cos(2 * std::numbers::pi * uniform());
  }

 private:
  std::mt19937_64 engine_;
};

// Genes 0..module-1 follow one factor over every sample (r about 0.99 between them); the rest are
// independent standard normal values.
inline GeneTable planted_module(std::int32_t module, std::int32_t genes, std::int32_t samples, std::uint64_t seed) {
  Draws draws(seed);
  GeneTable table(genes, samples);
  std::vector<double> factor(static_cast<std::size_t>(samples));
  for (double& value : factor) value = draws.normal();
  for (std::int32_t g = 0; g < genes; ++g) {
    table[g].name = "g" + std::to_string(g);
    for (std::int32_t s = 0; s < samples; ++s) {
      table[g].values[s] = g < module ? factor[static_cast<std::size_t>(s)] + 0.1 * draws.normal() : draws.normal();
    }
  }
  return table;
}

// Count-like noise: about two values in three 0, the rest log(1 + a geometric count).
inline GeneTable zero_rich_noise(std::int32_t genes, std::int32_t samples, std::uint64_t seed) {
  Draws draws(seed);
  GeneTable table(genes, samples);
  for (std::int32_t g = 0; g < genes; ++g) {
    table[g].name = "z" + std::to_string(g);
    const double mean = 1 + 4 * draws.uniform();
    for (std::int32_t s = 0; s < samples; ++s) {
      double count = 0;
      if (draws.uniform() < 0.35) count = 1 + std::floor(std::log(draws.uniform()) / std::log(1 - 1 / mean));
      table[g].values[s] = std::log1p(count);
    }
  }
  return table;
}

class MembersSink final : public BiclusterSink {
 public:
  void accept(const Bicluster& b) override {
    BiclusterMembers members{{b.members.begin(), b.members.end()}, {}};
    for (std::size_t s = 0; s < b.sample_flags.size(); ++s) {
      if (b.sample_flags[s] == 1) members.samples.push_back(static_cast<std::int32_t>(s));
    }
    found.push_back(std::move(members));
  }
  std::vector<BiclusterMembers> found;
};

inline std::vector<BiclusterMembers> biclusters_of(const GeneTable& table, const RunSettings& settings) {
  MembersSink sink;
  search(table, settings, sink);
  return std::move(sink.found);
}

}  // namespace kova::test
