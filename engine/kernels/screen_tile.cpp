#include "engine/kernels/screen_tile.hpp"

#include <algorithm>
#include <limits>

namespace kova {
namespace {

constexpr std::size_t kW = ScreenTile::kWidth;

// The early test on the sums over the first columns; when it leaves some lane in use unproven, the
// sums carry on over the rest to the decision over all of them, and a lane is proven by either.
std::uint32_t screen_single(const ScreenKernels& screen, const float* tile, std::span<const std::int32_t> columns,
                            const ScreenMember& member, const GroupScale& group, std::size_t lanes) {
  TileSums sums;
  const float* t = member.values().data();
  const std::size_t first = member.prefix_columns();
  std::uint32_t early = 0;
  if (first != 0) {
    screen.sums(tile, columns.data(), first, t, sums, false);
    early = screen.early(sums, member.prefix_decision(group));
    const std::uint32_t in_use = lanes >= kW ? ~std::uint32_t{0} : (std::uint32_t{1} << lanes) - 1;
    if ((early & in_use) == in_use) return early;
  }
  screen.sums(tile, columns.data() + first, columns.size() - first, t + first, sums, first != 0);
  return early | screen.single(sums, member.single_decision(group));
}

}  // namespace

ScreenWidth screen_width() { return {kernels_in_use().half != nullptr}; }

void screen_columns(const float* const* rows, std::size_t samples, float* out, int width) {
  kernels_at(width).copies->tile_columns(rows, samples, out);
}

void screen_sums(const float* tile, std::span<const std::int32_t> columns, const float* member, float* sum_q,
                 float* sum_qq, float* sum_qt, int width) {
  const ScreenKernels& screen = *kernels_at(width).screen;
  TileSums sums;
  screen.sums(tile, columns.data(), columns.size(), member, sums, false);
  const bool two_chains = screen.order.chains == 2;
  for (std::size_t k = 0; k < kW; ++k) {
    sum_q[k] = two_chains ? sums.q[0][k] + sums.q[1][k] : sums.q[0][k];
    sum_qq[k] = two_chains ? sums.qq[0][k] + sums.qq[1][k] : sums.qq[0][k];
    sum_qt[k] = two_chains ? sums.qt[0][k] + sums.qt[1][k] : sums.qt[0][k];
  }
}

ScreenSumOrder screen_sum_order(int width) { return kernels_at(width).screen->order; }

ScreenRows::ScreenRows(std::int32_t genes, std::size_t samples)
    : genes_(genes), samples_(samples), values_(new float[(static_cast<std::size_t>(genes) + 1) * samples]) {
  float* nan_row = values_.get() + static_cast<std::size_t>(genes) * samples;
  std::fill(nan_row, nan_row + samples, std::numeric_limits<float>::quiet_NaN());
}

void ScreenRows::fill(const GeneTable& table, std::span<const ScreenScale> scales, std::int32_t first,
                      std::int32_t end) {
  for (std::int32_t g = first; g < end; ++g) {
    const ScreenScale& scale = scales[static_cast<std::size_t>(g)];
    float* to = values_.get() + static_cast<std::size_t>(g) * samples_;
    const double* from = table[g].values;
    for (std::size_t c = 0; c < samples_; ++c) to[c] = screen_value(from[c], scale);
  }
}

void ScreenTile::load(const ScreenRows& rows, std::span<const std::int32_t> genes,
                      std::span<const ScreenScale> scales) {
  kernels_ = &kernels_in_use();
  const std::size_t samples = rows.samples();
  values_.resize(samples * kW);
  size_ = genes.size();
  group_ = GroupScale{};
  // Per lane its row; a lane without a gene reads the row of NaN, which proves nothing.
  const float* lanes[kW];
  for (std::size_t k = 0; k < kW; ++k) {
    lanes[k] = k < size_ ? rows.row(genes[k]) : rows.nothing();
    if (k < size_) group_.add(scales[static_cast<std::size_t>(genes[k])]);
  }
  kernels_->copies->tile_columns(lanes, samples, values_.data());
  halves_.clear();
  if (kernels_->half != nullptr) {
    halves_.resize(values_.size());
    kernels_->half->to_half(values_.data(), values_.size(), halves_.data());
  }
}

void round_member(const ScreenMember& member, std::vector<std::uint16_t>& halves) {
  halves.clear();
  const HalfKernels* half = kernels_in_use().half;
  if (half == nullptr || !member.half_usable()) return;
  halves.resize(member.values().size());
  half->to_half(member.values().data(), halves.size(), halves.data());
}

std::uint32_t ScreenTile::proven_below(const ScreenMember& member, std::span<const std::uint16_t> member_halves) const {
  const std::vector<std::int32_t>& columns = member.columns();
  const float* t = member.values().data();
  if (!member_halves.empty() && kernels_->half != nullptr) {
    return kernels_->half->screen(halves_.data(), columns.data(), columns.size(), member_halves.data(),
                                  member.half_decision(group_));
  }
  const ScreenKernels& screen = *kernels_->screen;
  if (member.single_usable()) return screen_single(screen, values_.data(), columns, member, group_, size_);
  // The decision in double, for the rare member outside single precision's range.
  TileSums sums;
  screen.sums(values_.data(), columns.data(), columns.size(), t, sums, false);
  return screen.in_double(sums, member.decision(group_));
}

}  // namespace kova
