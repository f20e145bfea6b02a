#pragma once
// Small matrices full of what makes the arithmetic hard, for comparing the fast search with the
// literal one (no test framework: the ARM64 check uses them too).

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "engine/model/correlation.hpp"

namespace kova::test {

using Rows = std::vector<std::vector<double>>;

// Small matrices full of what makes the arithmetic hard: ties, zeros, duplicated rows and
// columns, constant rows, huge values with a tiny spread, negatives, exact multiples.
class HardMatrices {
 public:
  explicit HardMatrices(std::uint64_t seed) : random_(seed) {}

  Rows next(int max_genes, int max_samples) {
    const int genes = pick(2, max_genes);
    const int samples = pick(0, max_samples);
    const int palette = pick(0, 5);
    Rows rows(static_cast<std::size_t>(genes), std::vector<double>(static_cast<std::size_t>(samples)));
    for (auto& row : rows) fill_row(row, palette);
    if (samples > 1 && chance(0.4)) duplicate_column(rows);
    if (genes > 2 && chance(0.4)) duplicate_row(rows);
    return rows;
  }

  double threshold(const Rows& rows) {
    switch (pick(0, 5)) {
      case 0:
        return 1.0;
      case 1:
        return reachable(rows);  // exactly a value some pair reaches
      case 2:
        return std::nextafter(reachable(rows), 2.0);
      case 3:
        return pick(-10, 10) / 10.0;
      default:
        return 0.8 + pick(0, 19) / 100.0;
    }
  }

  std::int32_t maximum() {
    const std::int32_t choices[] = {1, 2, 3, 0, -1, 1000};
    return choices[pick(0, 5)];
  }

 private:
  int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  bool chance(double p) { return std::uniform_real_distribution<double>(0.0, 1.0)(random_) < p; }

  void fill_row(std::vector<double>& row, int palette) {
    const double zeros = chance(0.5) ? 0.3 : 0.0;
    const double base = palette == 3 ? std::ldexp(1.0, pick(20, 60)) : 0.0;
    const double scale = palette == 4 ? std::ldexp(1.0, pick(-30, 30)) : 1.0;
    const bool constant = chance(0.1);
    const double constant_value = pick(-3, 3);
    for (double& v : row) {
      if (chance(zeros)) {
        v = 0.0;
      } else if (constant) {
        v = constant_value;
      } else if (palette == 0) {
        v = pick(-3, 3);  // many ties
      } else if (palette == 3) {
        v = base + pick(0, 3);  // huge with a tiny spread
      } else if (palette == 5) {
        v = pick(0, 1) * 1e300;  // products overflow
      } else {
        v = scale * std::uniform_real_distribution<double>(-5.0, 10.0)(random_);
      }
    }
  }

  void duplicate_column(Rows& rows) {
    const auto samples = static_cast<int>(rows[0].size());
    const int from = pick(0, samples - 1), to = pick(0, samples - 1);
    for (auto& row : rows) row[static_cast<std::size_t>(to)] = row[static_cast<std::size_t>(from)];
  }

  void duplicate_row(Rows& rows) {
    const auto genes = static_cast<int>(rows.size());
    const auto from = static_cast<std::size_t>(pick(0, genes - 1));
    const auto to = static_cast<std::size_t>(pick(0, genes - 1));
    const double factor = chance(0.5) ? 1.0 : 2.0;
    for (std::size_t s = 0; s < rows[to].size(); ++s) rows[to][s] = factor * rows[from][s];
  }

  double reachable(const Rows& rows) {
    const auto samples = rows[0].size();
    if (samples < 3) return 0.5;
    PairSums sums;
    const auto a = static_cast<std::size_t>(pick(0, static_cast<int>(rows.size()) - 1));
    const auto b = static_cast<std::size_t>(pick(0, static_cast<int>(rows.size()) - 1));
    for (std::size_t s = 0; s < samples; ++s) {
      if (rows[a][s] != 0.0 || rows[b][s] != 0.0) sums.add(rows[a][s], rows[b][s]);
    }
    const double r = correlation(sums, pick(3, static_cast<int>(samples)));
    return std::isnan(r) ? 0.9 : r;
  }

  std::mt19937_64 random_;
};

}  // namespace kova::test
