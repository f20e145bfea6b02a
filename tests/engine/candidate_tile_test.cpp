#include "engine/candidate_tile.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "tests/support/collecting_sink.hpp"

namespace kova {
namespace {

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Every lane of both instruction widths against the one-candidate chain, and the pass decisions
// (with their square-root-free rejects) against the exact r, on rows that are hard to round.
TEST(CandidateTile, LanesAndDecisionsMatchOneCandidateAtATime) {
  std::mt19937_64 random(3);
  std::uniform_real_distribution<double> value(-3.0, 9.0);
  for (int round = 0; round < 40; ++round) {
    const int samples = 3 + round % 17;
    std::vector<std::vector<double>> rows(40, std::vector<double>(static_cast<std::size_t>(samples)));
    for (auto& row : rows) {
      const double offset = round % 3 == 0 ? 1e12 : 0.0;
      for (double& v : row) v = random() % 5 == 0 ? 0.0 : offset + value(random);
    }
    rows[1] = rows[0];  // r = 1 exactly
    const GeneTable table = test::make_table(rows);
    std::vector<std::int32_t> columns;
    for (std::int32_t c = 0; c < samples; ++c) {
      if (random() % 3 != 0) columns.push_back(c);
    }
    MemberCorrelation member;
    member.set(table[0].values, columns);
    std::vector<std::int32_t> genes(CandidateTile::kWidth - round % 5);
    for (std::size_t k = 0; k < genes.size(); ++k) genes[k] = static_cast<std::int32_t>(k + 1);
    CandidateTile tile;
    tile.load(table, genes);

    for (const double threshold : {0.9, 0.3, 1.0, -0.5}) {
      bool pass[CandidateTile::kWidth];
      tile.passes(member, threshold, pass);
      for (std::size_t k = 0; k < genes.size(); ++k) {
        ASSERT_EQ(pass[k], member.with(table[genes[k]].values) >= threshold) << "gene " << genes[k] << ", T " << threshold << ", r " << member.with(table[genes[k]].values) << ", round " << round;
      }
    }
  }
}

TEST(CandidateTile, WideAndNarrowSumsGiveTheSameBits) {
  std::vector<double> tile(CandidateTile::kWidth * 7);
  std::mt19937_64 random(11);
  for (double& v : tile) v = std::ldexp(static_cast<double>(random() % 1000) + 0.1, static_cast<int>(random() % 40) - 20);
  const std::vector<std::int32_t> columns = {0, 2, 3, 6};
  const double member[] = {1.5, -2.25, 1e-3, 7.0};
  double wide[3][CandidateTile::kWidth], narrow[3][CandidateTile::kWidth];
  tile_sums(tile.data(), columns, member, wide[0], wide[1], wide[2], true);
  tile_sums(tile.data(), columns, member, narrow[0], narrow[1], narrow[2], false);
  for (int s = 0; s < 3; ++s) {
    for (std::size_t k = 0; k < CandidateTile::kWidth; ++k) {
      double chain = 0.0;
      for (std::size_t j = 0; j < columns.size(); ++j) {
        const double x = tile[static_cast<std::size_t>(columns[j]) * CandidateTile::kWidth + k];
        chain += s == 0 ? x : s == 1 ? x * x : x * member[j];
      }
      ASSERT_TRUE(same_bits(narrow[s][k], chain)) << "sum " << s << ", lane " << k;
      ASSERT_TRUE(same_bits(wide[s][k], chain)) << "sum " << s << ", lane " << k;
    }
  }
  if (!wide_vectors_available()) GTEST_SKIP() << "no 256-bit instructions here: only the narrow path ran";
}

}  // namespace
}  // namespace kova
