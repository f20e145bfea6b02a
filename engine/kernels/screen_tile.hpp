#pragma once
// A block of candidate rows in the screen's single precision (and half precision where the width
// in use has it), transposed so that one column of all of them is contiguous: the sums of many
// candidates then advance together with plain vector operations, sixteen lanes at a time with
// 512-bit instructions, thirty-two in half precision.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "engine/bounds/screen_bounds.hpp"
#include "engine/kernels/kernel_set.hpp"
#include "engine/model/gene_table.hpp"

namespace kova {

// Every gene's row in the screen's single precision (screen_value, NaN for a gene that is not
// usable), made once, so that laying out a tile only transposes; and a row of NaN for the lanes of
// a tile that hold no gene.
class ScreenRows {
 public:
  // Room for the rows, left unwritten: whichever thread fills a row first touches its memory.
  ScreenRows(std::int32_t genes, std::size_t samples);
  // The rows of genes [first, end) from their scales (indexed by gene); disjoint ranges may be
  // filled from several threads at once.
  void fill(const GeneTable& table, std::span<const ScreenScale> scales, std::int32_t first, std::int32_t end);
  const float* row(std::int32_t gene) const { return values_.get() + static_cast<std::size_t>(gene) * samples_; }
  const float* nothing() const { return row(genes_); }
  std::size_t samples() const { return samples_; }

 private:
  std::int32_t genes_;
  std::size_t samples_;
  std::unique_ptr<float[]> values_;
};

// What the screen's bounds take of the width in use (ScreenMember::set).
ScreenWidth screen_width();

// The member's screen values rounded to half precision into `halves`, where the width in use
// screens in half precision and the member allows it; else `halves` is left empty. Made once per
// member, for every tile it meets.
void round_member(const ScreenMember& member, std::vector<std::uint16_t>& halves);

// Each on cache lines of its own, as the workers' tiles sit side by side.
class alignas(64) ScreenTile {
 public:
  static constexpr std::size_t kWidth = kTileLanes;

  // Takes the rows of `genes` (at most kWidth) with their scales (indexed by gene), laid out for
  // the width in use, which then screens them.
  void load(const ScreenRows& rows, std::span<const std::int32_t> genes, std::span<const ScreenScale> scales);
  // Bit k for every loaded candidate k whose literal correlation with the member over the member's
  // selected columns is provably below the threshold. A usable member only. In half precision where
  // `member_halves` holds the member's values so rounded (round_member), else in single precision.
  std::uint32_t proven_below(const ScreenMember& member, std::span<const std::uint16_t> member_halves) const;

 private:
  std::vector<float> values_;          // column c of candidate k at [c * kWidth + k]; NaN where unusable
  std::vector<std::uint16_t> halves_;  // the same in half precision, where the width has it
  GroupScale group_;
  std::size_t size_ = 0;
  const KernelSet* kernels_ = nullptr;
};

// The single-precision sums of q, q*q and q*t per lane, over `columns`, t the member's values in
// the order of `columns`. `width` picks the instructions (see vector_width.hpp); a width the
// processor lacks falls back to the widest it has below. Exposed for tests.
void screen_sums(const float* tile, std::span<const std::int32_t> columns, const float* member, float* sum_q,
                 float* sum_qq, float* sum_qt, int width);

// How a width adds up each lane's sums. Exposed for tests.
ScreenSumOrder screen_sum_order(int width);

// A tile's values: out[c * kWidth + k] = rows[k][c] for every column c < samples and lane k <
// kWidth, the same bits at every width. Used by load; exposed for tests.
void screen_columns(const float* const* rows, std::size_t samples, float* out, int width);

}  // namespace kova
