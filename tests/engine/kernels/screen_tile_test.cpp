#include "engine/kernels/screen_tile.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

#include "engine/kernels/vector_width.hpp"
#include "engine/search/member_correlation.hpp"
#include "tests/support/collecting_sink.hpp"
#include "tests/support/vector_widths.hpp"

namespace kova {
namespace {

bool same_bits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }
bool lane(std::uint32_t bits, std::size_t k) { return ((bits >> k) & 1u) != 0; }

// The member's values in half precision, as the extension makes them once per pair.
std::vector<std::uint16_t> halves_of(const ScreenMember& member) {
  std::vector<std::uint16_t> halves;
  round_member(member, halves);
  return halves;
}

// Each test at every width the processor has; half precision where the width is 512 and the
// processor has it.
class ScreenTileAtWidth : public test::AtEachWidth {};
KOVA_AT_EACH_WIDTH(ScreenTileAtWidth);

// Rows that make rounding hard: the member itself, near-copies of it at every distance (their r
// sweeps across any threshold), large offsets with a tiny spread, tiny and huge scales, zeros,
// constant rows, values out of range.
std::vector<double> hard_row(std::mt19937_64& random, const std::vector<double>& member, int kind) {
  std::normal_distribution<double> normal;
  std::vector<double> row(member.size());
  const double noise = std::pow(10.0, -static_cast<double>(random() % 12));
  const double offset = kind % 4 == 1 ? 1e12 : kind % 4 == 2 ? -3.0 : 7.5;
  const double scale = kind % 5 == 3 ? 1e-150 : kind % 5 == 4 ? 1e150 : 1.0;
  for (std::size_t c = 0; c < row.size(); ++c) {
    switch (kind % 8) {
      case 0:
        row[c] = member[c];
        break;
      case 1:
      case 2:
        row[c] = (offset + 2.0 * member[c] + noise * normal(random)) * scale;
        break;
      case 3:
        row[c] = (offset - member[c] + noise * normal(random)) * scale;
        break;
      case 4:
        row[c] = random() % 3 == 0 ? 0.0 : (offset + normal(random)) * scale;
        break;
      case 5:
        row[c] = offset;
        break;
      case 6:
        row[c] = c == 0 ? 1e308 : member[c] * 1e300;
        break;
      default:
        row[c] = std::ldexp(normal(random), static_cast<int>(random() % 200) - 100);
        break;
    }
  }
  return row;
}

std::vector<ScreenScale> scales_of(const GeneTable& table) {
  std::vector<ScreenScale> scales;
  for (std::int32_t g = 0; g < table.genes(); ++g) scales.push_back(screen_scale(table.row(g)));
  return scales;
}

// What a tile of these genes decides with.
GroupScale group_of(const std::vector<std::int32_t>& genes, const std::vector<ScreenScale>& scales) {
  GroupScale group;
  for (const std::int32_t gene : genes) group.add(scales[static_cast<std::size_t>(gene)]);
  return group;
}

ScreenRows screen_rows(const GeneTable& table, const std::vector<ScreenScale>& scales) {
  ScreenRows rows(table.genes(), static_cast<std::size_t>(table.samples()));
  rows.fill(table, scales, 0, table.genes());
  return rows;
}

// One lane's single-precision sums over the first `count` of the member's columns, in its order,
// added up as `width` adds them.
struct LaneSums {
  float q, qq, qt;
};
LaneSums lane_sums(const GeneTable& table, std::int32_t gene, const std::vector<ScreenScale>& scales,
                   const ScreenMember& member, std::size_t count, int width) {
  const std::vector<std::int32_t>& columns = member.columns();
  const ScreenSumOrder order = screen_sum_order(width);
  float sums[2][3] = {};
  for (std::size_t j = 0; j < count; ++j) {
    const float q = screen_value(table[gene].values[columns[j]], scales[static_cast<std::size_t>(gene)]);
    const float t = member.values()[j];
    float* chain = sums[j % static_cast<std::size_t>(order.chains)];
    chain[0] += q;
    chain[1] = order.fused ? std::fma(q, q, chain[1]) : chain[1] + q * q;
    chain[2] = order.fused ? std::fma(q, t, chain[2]) : chain[2] + q * t;
  }
  return {sums[0][0] + sums[1][0], sums[0][1] + sums[1][1], sums[0][2] + sums[1][2]};
}

// The members a width's tiles take: as the bounds make them for that width, and, where it screens
// in half precision, as for single precision too, whose early test then runs on its kernels.
std::vector<ScreenWidth> member_kinds() {
  std::vector<ScreenWidth> kinds = {screen_width()};
  if (kinds[0].half_precision) kinds.push_back(ScreenWidth{false});
  return kinds;
}

// Whatever the screen proves below the threshold, in single and in half precision, fails the exact
// test (r below it, or NaN), and the decision on single-precision sums is the scalar one on the same
// sums, in single precision where the member allows it, else in double; with the early test on the
// sums over the first columns, a lane is proven by either.
TEST_P(ScreenTileAtWidth, WhatItRejectsIsBelowTheThresholdExactly) {
  std::mt19937_64 random(5);
  std::normal_distribution<double> normal;
  std::size_t rejected = 0, near_and_kept = 0, rejected_in_half = 0, decided_in_single = 0, decided_in_double = 0;
  std::size_t rejected_early = 0;
  for (int round = 0; round < 300; ++round) {
    const std::size_t samples = 3 + static_cast<std::size_t>(random() % 150);  // both sides of 128
    std::vector<std::vector<double>> rows(1 + ScreenTile::kWidth);
    rows[0].resize(samples);
    const double member_scale = round % 7 == 0 ? 1e-120 : round % 7 == 1 ? 1e100 : 1.0;
    for (double& v : rows[0]) v = (round % 3 == 0 ? 1e9 : 0.0) + member_scale * normal(random);
    for (std::size_t k = 1; k < rows.size(); ++k) rows[k] = hard_row(random, rows[0], static_cast<int>(random() % 40));
    const GeneTable table = test::make_table(rows);

    std::vector<std::int32_t> columns;
    for (std::size_t c = 0; c < samples; ++c) {
      if (random() % 4 != 0 || columns.size() + (samples - c) <= 3) columns.push_back(static_cast<std::int32_t>(c));
    }
    MemberCorrelation exact;
    exact.set(table[0].values, columns);
    const std::vector<ScreenScale> scales = scales_of(table);
    std::vector<std::int32_t> genes;
    for (std::int32_t g = 1; g <= static_cast<std::int32_t>(ScreenTile::kWidth) - round % 3; ++g) genes.push_back(g);
    ScreenTile tile;
    tile.load(screen_rows(table, scales), genes, scales);
    const GroupScale group = group_of(genes, scales);

    // Thresholds around the candidates' own exact r, and the usual ones.
    std::vector<double> thresholds = {0.9, 0.99, 0.5, 1.0, 1e-30};
    for (int i = 0; i < 3; ++i) {
      const double r = exact.with(table[genes[random() % genes.size()]].values);
      if (r > 0.0) thresholds.insert(thresholds.end(), {r, std::nextafter(r, 2.0), std::nextafter(r, 0.0)});
    }
    for (const double threshold : thresholds) {
      for (const ScreenWidth kind : member_kinds()) {
        ScreenMember member;
        member.set(table[0].values, columns, exact.sy(), exact.syy(), threshold, kind);
        if (!member.usable()) continue;
        for (const bool half : {false, true}) {
          if (half && !member.half_usable()) continue;
          const std::uint32_t proven =
              tile.proven_below(member, half ? halves_of(member) : std::vector<std::uint16_t>{});
          const std::uint32_t in_use = genes.size() >= 32 ? ~0u : (1u << genes.size()) - 1;
          EXPECT_EQ(proven & ~in_use, 0u) << "lanes without a gene, round " << round;
          for (std::size_t k = 0; k < genes.size(); ++k) {
            const double r = exact.with(table[genes[k]].values);
            if (lane(proven, k)) {
              ++rejected;
              if (half) ++rejected_in_half;
              ASSERT_FALSE(r >= threshold) << "r " << r << ", T " << threshold << ", gene " << genes[k] << ", round "
                                           << round << (half ? ", half precision" : "");
            } else if (r < threshold && r > threshold - 1e-3) {
              ++near_and_kept;
            }
            if (half) continue;
            // The single-precision decision is the scalar one on the same sums, as this width adds
            // them up.
            const LaneSums all = lane_sums(table, genes[k], scales, member, columns.size(), width());
            const bool scalar = member.single_usable()
                                    ? proven_below<float>(all.q, all.qq, all.qt, member.single_decision(group))
                                    : proven_below<double>(all.q, all.qq, all.qt, member.decision(group));
            bool early = false;
            if (member.single_usable() && member.prefix_columns() != 0) {
              const LaneSums first = lane_sums(table, genes[k], scales, member, member.prefix_columns(), width());
              early = proven_below_from_prefix<float>(first.q, first.qq, first.qt, member.prefix_decision(group));
            }
            ASSERT_EQ(lane(proven, k), scalar || early) << "gene " << genes[k] << ", round " << round;
            if (early) ++rejected_early;
            ++(member.single_usable() ? decided_in_single : decided_in_double);
          }
        }
      }
    }
  }
  // Both kinds occur, and both decisions (a tiny threshold leaves single precision's range), or the
  // test proves nothing.
  EXPECT_GT(decided_in_single, 10000u);
  EXPECT_GT(decided_in_double, 1000u);
  EXPECT_GT(rejected, 10000u);
  EXPECT_GT(near_and_kept, 100u);
  // Half precision takes every column; the early test is for the members in single precision.
  EXPECT_GT(rejected_early, 2000u);
  EXPECT_EQ(rejected_in_half > 5000u, has_half_precision()) << rejected_in_half;
}

// The early test sees only the first columns: candidates that follow the member over the other
// columns alone, or only loosely over the first, may still reach the threshold over all of them,
// and it must leave them to the decision over all columns. Thresholds at their exact r, and a step
// either side of it; members in single precision at every width, which have the early test.
TEST_P(ScreenTileAtWidth, TheEarlyTestLeavesWhatTheOtherColumnsCanLift) {
  std::mt19937_64 random(23);
  std::normal_distribution<double> normal;
  std::size_t rejected_early = 0, kept_at_own_r = 0;
  for (int round = 0; round < 40; ++round) {
    const std::size_t samples = 12 + static_cast<std::size_t>(random() % 120);
    std::vector<std::vector<double>> rows(1 + ScreenTile::kWidth, std::vector<double>(samples));
    for (double& v : rows[0]) v = 5.0 + normal(random);
    for (std::size_t k = 1; k < rows.size(); ++k) {
      // Noise over the first part of the columns, the member over the rest, each to its own degree.
      const std::size_t noisy = static_cast<std::size_t>(random() % (samples + 1));
      const double fit = static_cast<double>(random() % 100) / 100.0;
      for (std::size_t c = 0; c < samples; ++c) {
        const double follows = c < noisy ? 0.6 * fit - 0.3 : 1.0 - 0.3 * fit;
        rows[k][c] = 2.0 + follows * rows[0][c] + (1.0 - follows) * normal(random);
      }
    }
    const GeneTable table = test::make_table(rows);
    std::vector<std::int32_t> columns(samples);
    for (std::size_t c = 0; c < samples; ++c) columns[c] = static_cast<std::int32_t>(c);
    MemberCorrelation exact;
    exact.set(table[0].values, columns);
    const std::vector<ScreenScale> scales = scales_of(table);
    std::vector<std::int32_t> genes;
    for (std::int32_t g = 1; g < table.genes(); ++g) genes.push_back(g);
    ScreenTile tile;
    tile.load(screen_rows(table, scales), genes, scales);
    const GroupScale group = group_of(genes, scales);
    for (const std::int32_t gene : genes) {
      const double own = exact.with(table[gene].values);
      if (!(own > 0.0)) continue;
      for (const double threshold : {own, std::nextafter(own, 0.0), std::nextafter(own, 2.0), 0.5, 0.9}) {
        ScreenMember member;
        member.set(table[0].values, columns, exact.sy(), exact.syy(), threshold, ScreenWidth{false});
        ASSERT_TRUE(member.single_usable());
        const std::uint32_t proven = tile.proven_below(member, {});
        for (std::size_t k = 0; k < genes.size(); ++k) {
          const double r = exact.with(table[genes[k]].values);
          if (lane(proven, k)) {
            ASSERT_FALSE(r >= threshold) << "r " << r << ", T " << threshold << ", round " << round;
          }
        }
        if (!lane(proven, static_cast<std::size_t>(gene - 1)) && threshold == own) ++kept_at_own_r;
        if (member.prefix_columns() == 0) continue;  // a low threshold: the other columns could lift anything
        const LaneSums early = lane_sums(table, genes[0], scales, member, member.prefix_columns(), width());
        if (proven_below_from_prefix<float>(early.q, early.qq, early.qt, member.prefix_decision(group))) {
          ++rejected_early;
          EXPECT_TRUE(lane(proven, 0));
        }
      }
    }
  }
  EXPECT_GT(kept_at_own_r, 500u);
  EXPECT_GT(rejected_early, 50u);
}

// On expression-like rows the screen must reject nearly everything that is clearly below: that
// is its whole purpose.
TEST_P(ScreenTileAtWidth, RejectsAlmostEveryCandidateClearlyBelow) {
  std::mt19937_64 random(17);
  std::normal_distribution<double> normal;
  std::size_t clearly_below = 0, rejected = 0, well_below = 0, rejected_in_half = 0;
  for (int round = 0; round < 50; ++round) {
    const std::size_t samples = 128;
    std::vector<std::vector<double>> rows(1 + ScreenTile::kWidth, std::vector<double>(samples));
    for (auto& row : rows) {
      const double level = 4.0 + 8.0 * static_cast<double>(random() % 100) / 100.0;
      const double spread = 0.1 + static_cast<double>(random() % 100) / 50.0;
      for (double& v : row) v = level + spread * normal(random);
    }
    const GeneTable table = test::make_table(rows);
    std::vector<std::int32_t> columns;  // a third of them (about 43), or two thirds (about 85)
    const std::uint64_t keep = round % 2 == 0 ? 1 : 2;
    for (std::int32_t c = 0; c < static_cast<std::int32_t>(samples); ++c) {
      if (random() % 3 < keep) columns.push_back(c);
    }
    MemberCorrelation exact;
    exact.set(table[0].values, columns);
    ScreenMember member;
    member.set(table[0].values, columns, exact.sy(), exact.syy(), 0.9, screen_width());
    ASSERT_TRUE(member.usable());
    const std::vector<ScreenScale> scales = scales_of(table);
    std::vector<std::int32_t> genes;
    for (std::int32_t g = 1; g < table.genes(); ++g) genes.push_back(g);
    ScreenTile tile;
    tile.load(screen_rows(table, scales), genes, scales);
    const std::uint32_t proven = tile.proven_below(member, {}),
                        proven_half = tile.proven_below(member, halves_of(member));
    for (std::size_t k = 0; k < genes.size(); ++k) {
      const double r = exact.with(table[genes[k]].values);
      if (r < 0.89) {
        ++clearly_below;
        if (lane(proven, k)) ++rejected;
      }
      // Half precision's bounds are wider: it must still reject what lies well below.
      if (r < 0.7) {
        ++well_below;
        if (lane(proven_half, k)) ++rejected_in_half;
      }
    }
  }
  ASSERT_GT(clearly_below, 1000u);
  EXPECT_EQ(rejected, clearly_below);
  // Without half precision the same single-precision screen ran twice.
  EXPECT_EQ(rejected_in_half, well_below);
}

// Each width adds up a lane's sums in its own order (screen_sum_order): checked bit for bit
// against that arithmetic.
TEST_P(ScreenTileAtWidth, GivesItsOwnSumsBitForBit) {
  std::vector<float> tile(ScreenTile::kWidth * 9);
  std::mt19937_64 random(11);
  for (float& v : tile)
    v = std::ldexp(static_cast<float>(random() % 1000) - 500.0f, -10 - static_cast<int>(random() % 20));
  const std::vector<std::int32_t> columns = {0, 2, 3, 6, 8};
  const float member[] = {0.5f, -0.25f, 1e-3f, 0.75f, -0.125f};
  float sums[3][ScreenTile::kWidth];
  screen_sums(tile.data(), columns, member, sums[0], sums[1], sums[2], width());
  const ScreenSumOrder order = screen_sum_order(width());
  for (std::size_t k = 0; k < ScreenTile::kWidth; ++k) {
    float chains[2][3] = {};
    for (std::size_t j = 0; j < columns.size(); ++j) {
      const float q = tile[static_cast<std::size_t>(columns[j]) * ScreenTile::kWidth + k];
      float* chain = chains[j % static_cast<std::size_t>(order.chains)];
      chain[0] += q;
      chain[1] = order.fused ? std::fma(q, q, chain[1]) : chain[1] + q * q;
      chain[2] = order.fused ? std::fma(q, member[j], chain[2]) : chain[2] + q * member[j];
    }
    for (int s = 0; s < 3; ++s) {
      ASSERT_TRUE(same_bits(sums[s][k], chains[0][s] + chains[1][s])) << "lane " << k << ", sum " << s;
    }
  }
}

// Every width lays out a tile's values as screen_value gives them, bit for bit, also for columns
// beyond a whole block of eight, unusable lanes (NaN shift) and values far out of range.
TEST_P(ScreenTileAtWidth, LaysOutTheTileValuesOfScreenValue) {
  std::mt19937_64 random(37);
  std::normal_distribution<double> normal;
  for (const std::size_t samples : {1u, 7u, 8u, 13u, 128u}) {
    // The screen's rows: screen_value of every value, NaN for a gene that is not usable.
    std::vector<std::vector<double>> rows(ScreenTile::kWidth, std::vector<double>(samples));
    for (std::size_t k = 0; k < ScreenTile::kWidth; ++k) {
      for (double& v : rows[k]) v = k % 5 == 4 ? std::ldexp(normal(random), 900) : 7.0 + normal(random);
      if (k % 7 == 3) rows[k][0] = INFINITY;
    }
    const GeneTable table = test::make_table(rows);
    const std::vector<ScreenScale> scales = scales_of(table);
    const ScreenRows single_rows = screen_rows(table, scales);
    const float* starts[ScreenTile::kWidth];
    for (std::size_t k = 0; k < ScreenTile::kWidth; ++k) {
      starts[k] = single_rows.row(static_cast<std::int32_t>(k));
      for (std::size_t c = 0; c < samples; ++c) {
        ASSERT_TRUE(same_bits(starts[k][c], screen_value(rows[k][c], scales[k]))) << "gene " << k << ", column " << c;
      }
    }
    for (std::size_t c = 0; c < samples; ++c) ASSERT_TRUE(std::isnan(single_rows.nothing()[c]));
    // Laid out column by column, the same bits.
    std::vector<float> out(samples * ScreenTile::kWidth);
    screen_columns(starts, samples, out.data(), width());
    for (std::size_t c = 0; c < samples; ++c) {
      for (std::size_t k = 0; k < ScreenTile::kWidth; ++k) {
        ASSERT_TRUE(same_bits(out[c * ScreenTile::kWidth + k], starts[k][c])) << "column " << c << ", lane " << k;
      }
    }
  }
}

}  // namespace
}  // namespace kova
