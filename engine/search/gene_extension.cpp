#include "engine/search/gene_extension.hpp"

#include <algorithm>
#include <bit>

namespace kova {
namespace {

void select_columns(std::span<const std::int32_t> sample_flags, std::vector<std::int32_t>& columns) {
  columns.clear();
  for (std::size_t s = 0; s < sample_flags.size(); ++s) {
    if (sample_flags[s] != 0) columns.push_back(static_cast<std::int32_t>(s));
  }
}

constexpr std::size_t kGenesPerSetUp = 256;

}  // namespace

ExtensionScreen::ExtensionScreen(const GeneTable& table, const NonZeroColumns& nonzero, double threshold,
                                 ThreadPool& pool)
    : table_(table),
      nonzero_(nonzero),
      threshold_(threshold),
      width_(screen_width()),
      scales_(static_cast<std::size_t>(table.genes())),
      rows_(table.genes(), static_cast<std::size_t>(table.samples())),
      tiles_(static_cast<std::size_t>(pool.workers()) * kTilesPerChunk),
      noted_(static_cast<std::size_t>(pool.workers())) {
  pool.parallel_for(scales_.size(), kGenesPerSetUp, [&](std::size_t begin, std::size_t end, int) {
    for (std::size_t g = begin; g < end; ++g) scales_[g] = screen_scale(table.row(static_cast<std::int32_t>(g)));
    rows_.fill(table, scales_, static_cast<std::int32_t>(begin), static_cast<std::int32_t>(end));
  });
}

void ExtensionScreen::reset(std::size_t pairs) {
  active_.clear();
  if (pairs_.size() < pairs) pairs_.resize(pairs);
  slot_added_.assign(pairs, 0);
  for (Noted& noted : noted_) noted.passed.clear();
  passing_start_.assign(pairs + 1, 0);
}

void ExtensionScreen::add_pair(std::size_t slot, std::int32_t seed, std::int32_t partner,
                               std::span<const std::int32_t> sample_flags) {
  Pair& pair = pairs_[slot];
  slot_added_[slot] = 1;
  pair.partner_gene = partner;
  select_columns(sample_flags, pair.columns);
  nonzero_.column_mask(sample_flags, pair.column_mask);
  pair.seed.set(table_[seed].values, pair.columns);
  pair.partner.set(table_[partner].values, pair.columns);
  pair.screen.set(table_[seed].values, pair.columns, pair.seed.sy(), pair.seed.syy(), threshold_, width_);
  round_member(pair.screen, pair.halves);
}

bool ExtensionScreen::start() {
  for (std::size_t slot = 0; slot < slot_added_.size(); ++slot) {
    if (slot_added_[slot] != 0) active_.push_back(slot);
  }
  return !active_.empty();
}

void ExtensionScreen::screen(std::span<const std::int32_t> candidates, std::size_t begin, std::size_t end, int worker) {
  std::vector<Passed>& noted = noted_[static_cast<std::size_t>(worker)].passed;
  ScreenTile* tiles = tiles_.data() + static_cast<std::size_t>(worker) * kTilesPerChunk;
  // Every tile of the chunk first, then every pair over all of them: the tiles stay in cache while
  // each pair's columns and values are read once.
  std::size_t loaded = 0;
  for (std::size_t first = begin; first < end; first += ScreenTile::kWidth) {
    const std::size_t last = std::min(end, first + ScreenTile::kWidth);
    tiles[loaded++].load(rows_, candidates.subspan(first, last - first), scales_);
  }
  static_assert(ScreenTile::kWidth == 32, "a tile's verdicts in one 32-bit word");
  for (const std::size_t slot : active_) {
    const Pair& pair = pairs_[slot];
    for (std::size_t i = 0; i < loaded; ++i) {
      const std::size_t first = begin + i * ScreenTile::kWidth;
      const std::size_t last = std::min(end, first + ScreenTile::kWidth);
      const std::uint32_t below = pair.screen.usable() ? tiles[i].proven_below(pair.screen, pair.halves) : 0;
      // The few the screen cannot reject get the exact tests, the seed's first.
      const std::size_t lanes = last - first;
      std::uint32_t open = ~below & (lanes >= 32 ? ~std::uint32_t{0} : (std::uint32_t{1} << lanes) - 1);
      for (; open != 0; open &= open - 1) {
        const std::size_t k = first + static_cast<std::size_t>(std::countr_zero(open));
        const double* row = table_[candidates[k]].values;
        if (candidates[k] != pair.partner_gene && !nonzero_.zero_over(candidates[k], pair.column_mask) &&
            pair.seed.with(row) >= threshold_ && pair.partner.with(row) >= threshold_) {
          noted.push_back({static_cast<std::uint32_t>(slot), static_cast<std::uint32_t>(k)});
        }
      }
    }
  }
}

void ExtensionScreen::gather() {
  passing_.clear();
  std::vector<Passed>& all = noted_[0].passed;
  for (std::size_t w = 1; w < noted_.size(); ++w) {
    all.insert(all.end(), noted_[w].passed.begin(), noted_[w].passed.end());
  }
  std::sort(all.begin(), all.end());
  for (const Passed& passed : all) {
    passing_.push_back(passed.candidate);
    ++passing_start_[passed.slot + 1];
  }
  for (std::size_t slot = 1; slot < passing_start_.size(); ++slot) passing_start_[slot] += passing_start_[slot - 1];
}

std::span<const std::uint32_t> ExtensionScreen::passing(std::size_t slot) const {
  return std::span<const std::uint32_t>(passing_).subspan(passing_start_[slot],
                                                          passing_start_[slot + 1] - passing_start_[slot]);
}

void ExtensionCompletion::complete(std::vector<std::int32_t>& members, std::span<const std::int32_t> passing,
                                   std::span<const std::int32_t> sample_flags, std::span<const std::int32_t> assigned,
                                   double threshold) {
  if (passing.empty()) return;
  select_columns(sample_flags, columns_);
  std::size_t added = 0;
  for (const std::int32_t gene : passing) {
    if (assigned[static_cast<std::size_t>(gene)] != 0) continue;
    bool joins = true;
    for (std::size_t a = 0; a < added && joins; ++a) joins = added_members_[a].with(table_[gene].values) >= threshold;
    if (!joins) continue;
    members.push_back(gene);
    if (added_members_.size() <= added) added_members_.emplace_back();
    added_members_[added].set(table_[gene].values, columns_);
    ++added;
  }
}

}  // namespace kova
