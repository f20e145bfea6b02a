#include "engine/screen_tile.hpp"

#include <cstring>
#include <limits>

#include "engine/vector_width.hpp"

namespace kova {
namespace {

// Every function here that takes or returns a vector is always inlined into one instruction
// set's variant, so no vector crosses a call: a vector passed between code built for different
// instructions would arrive garbled.

constexpr std::size_t kW = ScreenTile::kWidth;

// Sixteen floats and eight doubles; where the processor lacks 512-bit instructions the compiler
// splits every operation. Each lane is its own IEEE operation either way.
using Floats = float __attribute__((vector_size(64)));
using HalfFloats = float __attribute__((vector_size(32)));
using Doubles = double __attribute__((vector_size(64)));
using Bytes = std::uint8_t __attribute__((vector_size(8)));

inline __attribute__((always_inline)) void sums_body(const float* tile, std::span<const std::int32_t> columns,
                                                     const float* member, float* sum_q, float* sum_qq,
                                                     float* sum_qt) {
  static_assert(kW == 32, "two vectors of sixteen lanes");
  Floats q0 = {}, q1 = {}, qq0 = {}, qq1 = {}, qt0 = {}, qt1 = {};
  for (std::size_t j = 0; j < columns.size(); ++j) {
    const float* at = tile + static_cast<std::size_t>(columns[j]) * kW;
    Floats v0, v1;
    std::memcpy(&v0, at, sizeof v0);
    std::memcpy(&v1, at + 16, sizeof v1);
    const float t = member[j];
    q0 += v0;
    q1 += v1;
    qq0 += v0 * v0;
    qq1 += v1 * v1;
    qt0 += v0 * t;
    qt1 += v1 * t;
  }
  std::memcpy(sum_q, &q0, sizeof q0);
  std::memcpy(sum_q + 16, &q1, sizeof q1);
  std::memcpy(sum_qq, &qq0, sizeof qq0);
  std::memcpy(sum_qq + 16, &qq1, sizeof qq1);
  std::memcpy(sum_qt, &qt0, sizeof qt0);
  std::memcpy(sum_qt + 16, &qt1, sizeof qt1);
}

inline __attribute__((always_inline)) Doubles widen(const float* at) {
  HalfFloats half;
  std::memcpy(&half, at, sizeof half);
  return __builtin_convertvector(half, Doubles);
}

// The whole screen of one tile against one member: the sums, then the decision eight lanes at a time.
inline __attribute__((always_inline)) void screen_body(const float* tile, std::span<const std::int32_t> columns,
                                                       const float* member, const ScreenDecision& decision,
                                                       bool* proven) {
  float sq[kW], sqq[kW], sqt[kW];
  sums_body(tile, columns, member, sq, sqq, sqt);
  for (std::size_t block = 0; block < kW; block += 8) {
    const auto mask = proven_below(widen(sq + block), widen(sqq + block), widen(sqt + block), decision);
    const auto bytes = __builtin_convertvector(mask & 1, Bytes);
    std::memcpy(proven + block, &bytes, sizeof bytes);
  }
}

void sums_base(const float* tile, std::span<const std::int32_t> columns, const float* member, float* sq, float* sqq,
               float* sqt) {
  sums_body(tile, columns, member, sq, sqq, sqt);
}
void screen_base(const float* tile, std::span<const std::int32_t> columns, const float* member,
                 const ScreenDecision& decision, bool* proven) {
  screen_body(tile, columns, member, decision, proven);
}

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define KOVA_WIDE_VARIANTS(target_name, suffix)                                                                  \
  __attribute__((target(target_name))) void sums_##suffix(const float* tile, std::span<const std::int32_t> columns, \
                                                          const float* member, float* sq, float* sqq, float* sqt) { \
    sums_body(tile, columns, member, sq, sqq, sqt);                                                              \
  }                                                                                                              \
  __attribute__((target(target_name))) void screen_##suffix(const float* tile, std::span<const std::int32_t> columns, \
                                                            const float* member, const ScreenDecision& decision,      \
                                                            bool* proven) {                                           \
    screen_body(tile, columns, member, decision, proven);                                                              \
  }
KOVA_WIDE_VARIANTS("avx512f", 512)
KOVA_WIDE_VARIANTS("avx", 256)
#undef KOVA_WIDE_VARIANTS
#endif

}  // namespace

void screen_sums(const float* tile, std::span<const std::int32_t> columns, const float* member, float* sum_q,
                 float* sum_qq, float* sum_qt, int width) {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
  if (width == 512 && widest_vectors() >= 512) return sums_512(tile, columns, member, sum_q, sum_qq, sum_qt);
  if (width == 256 && widest_vectors() >= 256) return sums_256(tile, columns, member, sum_q, sum_qq, sum_qt);
#endif
  (void)width;
  sums_base(tile, columns, member, sum_q, sum_qq, sum_qt);
}

void ScreenTile::load(const GeneTable& table, std::span<const std::int32_t> genes,
                      std::span<const ScreenScale> scales) {
  const auto samples = static_cast<std::size_t>(table.samples());
  values_.resize(samples * kW);
  size_ = genes.size();
  group_ = GroupScale{};
  // Per lane: the row and its scale. A lane without a gene reads the first row with an unusable
  // scale, so that every lane takes the same branch-free path below.
  const double* rows[kW];
  double shift[kW], factor[kW];
  for (std::size_t k = 0; k < kW; ++k) {
    const ScreenScale scale = k < size_ ? scales[static_cast<std::size_t>(genes[k])] : ScreenScale{};
    rows[k] = k < size_ ? table[genes[k]].values : table[0].values;
    shift[k] = scale.shift;
    factor[k] = scale.factor;
    group_.add(scale);
  }
  // Column by column, so that the writes run on and each row is read along its length.
  float* out = values_.data();
  for (std::size_t c = 0; c < samples; ++c, out += kW) {
    for (std::size_t k = 0; k < kW; ++k) out[k] = screen_value(rows[k][c], shift[k], factor[k]);
  }
}

void ScreenTile::proven_below(const ScreenMember& member, std::span<const std::int32_t> columns, bool* proven) const {
  const ScreenDecision decision = member.decision(group_);
  const float* t = member.values().data();
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
  const int widest = widest_vectors();
  if (widest >= 512) return screen_512(values_.data(), columns, t, decision, proven);
  if (widest >= 256) return screen_256(values_.data(), columns, t, decision, proven);
#endif
  screen_base(values_.data(), columns, t, decision, proven);
}

}  // namespace kova
