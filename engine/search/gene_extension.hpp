#pragma once
// Gene extension with the literal search's result: every unassigned gene that correlates at or
// above the threshold with every member, over the selected samples, joins in ascending order.
//
// The tests against the seed and the partner do not depend on which genes joined before, nor on
// genes assigned later (those are skipped when the bicluster is committed), so they run early,
// for pairs evaluated ahead, on any worker. They are the bulk of the work: every unassigned gene
// against two members. A single- or half-precision screen with a rigorous error bound
// (screen_bounds.hpp) rejects almost every candidate against the seed; only the rest get the exact
// tests, except those 0 in every selected column (zero_shortcuts.hpp). Screening
// one block of candidate rows against all pairs of a batch while the block is in cache keeps this
// from being bound by memory. The tests against members added during the extension depend on the
// joins before them and run in order when the bicluster is committed.

#include <cstdint>
#include <span>
#include <vector>

#include "engine/bounds/screen_bounds.hpp"
#include "engine/kernels/screen_tile.hpp"
#include "engine/model/gene_table.hpp"
#include "engine/search/member_correlation.hpp"
#include "engine/search/thread_pool.hpp"
#include "engine/search/zero_shortcuts.hpp"

namespace kova {

// The seed-and-partner tests of the yielding pairs of one batch.
class ExtensionScreen {
 public:
  // Candidates screened together: their tiles stay in the first-level cache (32 KiB of them for
  // 128 samples) while every pair of the batch runs over them.
  static constexpr std::size_t kCandidatesPerChunk = 2 * ScreenTile::kWidth;

  // Makes every gene's scale and screen row on the pool's workers.
  ExtensionScreen(const GeneTable& table, const NonZeroColumns& nonzero, double threshold, ThreadPool& pool);

  // Starts a batch of `pairs` slots.
  void reset(std::size_t pairs);
  // Slot `slot` yields with these selected samples; its tests run in screen(). Safe to call from
  // several workers at once for different slots.
  void add_pair(std::size_t slot, std::int32_t seed, std::int32_t partner, std::span<const std::int32_t> sample_flags);
  // Once every yielding slot is added: whether there is any.
  bool start();
  // For every added slot and every candidate k in [begin, end), at most kCandidatesPerChunk of
  // them: notes k for the slot when candidates[k] is not the partner and reaches the threshold
  // with both the seed and the partner. Safe to call from several workers at once on disjoint
  // ranges.
  void screen(std::span<const std::int32_t> candidates, std::size_t begin, std::size_t end, int worker);
  // Once screen() has run over every candidate: what it noted for `slot`, ascending. Few pass, so
  // the notes are kept as a list rather than a flag per candidate and pair.
  void gather();
  std::span<const std::uint32_t> passing(std::size_t slot) const;

 private:
  static constexpr std::size_t kTilesPerChunk = kCandidatesPerChunk / ScreenTile::kWidth;
  struct Pair {
    std::int32_t partner_gene;
    std::vector<std::int32_t> columns;
    std::vector<std::uint64_t> column_mask;  // the same as bits (NonZeroColumns::column_mask)
    MemberCorrelation seed, partner;
    ScreenMember screen;                // the seed, for the screen
    std::vector<std::uint16_t> halves;  // its values in half precision, where the screen runs so
  };
  const GeneTable& table_;
  const NonZeroColumns& nonzero_;
  const double threshold_;
  const ScreenWidth width_;          // the kernels' width, fixed for the search
  std::vector<ScreenScale> scales_;  // per gene
  ScreenRows rows_;
  std::vector<Pair> pairs_;               // per slot; capacity kept from batch to batch
  std::vector<std::uint8_t> slot_added_;  // per slot: whether add_pair() filled it
  std::vector<std::size_t> active_;       // the added slots, ascending
  std::vector<ScreenTile> tiles_;         // kTilesPerChunk per worker
  struct Passed {
    std::uint32_t slot, candidate;
    bool operator<(const Passed& other) const {
      return slot != other.slot ? slot < other.slot : candidate < other.candidate;
    }
  };
  struct alignas(64) Noted {  // a cache line of its own: workers add to theirs at once
    std::vector<Passed> passed;
  };
  std::vector<Noted> noted_;                // per worker
  std::vector<std::uint32_t> passing_;      // every slot's, in slot order
  std::vector<std::size_t> passing_start_;  // per slot, and one past the last
};

// Appends to `members` (the seed and the partner) every gene of `passing` (ascending, all passed
// the seed and the partner) that is still unassigned and reaches the threshold with each member
// added before it.
class ExtensionCompletion {
 public:
  explicit ExtensionCompletion(const GeneTable& table) : table_(table) {}
  void complete(std::vector<std::int32_t>& members, std::span<const std::int32_t> passing,
                std::span<const std::int32_t> sample_flags, std::span<const std::int32_t> assigned, double threshold);

 private:
  const GeneTable& table_;
  std::vector<std::int32_t> columns_;
  std::vector<MemberCorrelation> added_members_;
};

}  // namespace kova
