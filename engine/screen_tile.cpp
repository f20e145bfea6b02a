#include "engine/screen_tile.hpp"

#include <cstring>
#include <limits>

#include "engine/half_values.hpp"
#include "engine/vector_width.hpp"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#endif

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
using SixteenBytes = std::uint8_t __attribute__((vector_size(16)));

// Plain products and sums; with 512-bit instructions the product and sum as one fused operation
// (one rounding instead of two, which the bound allows for).
struct Separate {
  inline __attribute__((always_inline)) Floats operator()(Floats a, Floats b, Floats c) const { return a * b + c; }
};

// The even and the odd columns in sums of their own, so that each sum waits for its previous value
// only every other column; the two are added at the end (the bound holds for any order).
template <class MultiplyAdd>
inline __attribute__((always_inline)) void sums_body(const float* tile, std::span<const std::int32_t> columns,
                                                     const float* member, float* sum_q, float* sum_qq, float* sum_qt,
                                                     MultiplyAdd multiply_add) {
  constexpr std::size_t kVectors = kW / 16;
  Floats q[2][kVectors] = {}, qq[2][kVectors] = {}, qt[2][kVectors] = {};
  const auto add_column = [&](std::size_t half, std::size_t j) __attribute__((always_inline)) {
    const float* at = tile + static_cast<std::size_t>(columns[j]) * kW;
    const Floats t = Floats{} + member[j];
    for (std::size_t v = 0; v < kVectors; ++v) {
      Floats value;
      std::memcpy(&value, at + 16 * v, sizeof value);
      q[half][v] += value;
      qq[half][v] = multiply_add(value, value, qq[half][v]);
      qt[half][v] = multiply_add(value, t, qt[half][v]);
    }
  };
  std::size_t j = 0;
  for (; j + 2 <= columns.size(); j += 2) {
    add_column(0, j);
    add_column(1, j + 1);
  }
  if (j < columns.size()) add_column(0, j);
  for (std::size_t v = 0; v < kVectors; ++v) {
    const Floats sq = q[0][v] + q[1][v], sqq = qq[0][v] + qq[1][v], sqt = qt[0][v] + qt[1][v];
    std::memcpy(sum_q + 16 * v, &sq, sizeof sq);
    std::memcpy(sum_qq + 16 * v, &sqq, sizeof sqq);
    std::memcpy(sum_qt + 16 * v, &sqt, sizeof sqt);
  }
}

inline __attribute__((always_inline)) Doubles widen(const float* at) {
  HalfFloats half;
  std::memcpy(&half, at, sizeof half);
  return __builtin_convertvector(half, Doubles);
}

// The whole screen of one tile against one member: the sums, then the decision eight lanes at a time.
template <class MultiplyAdd>
inline __attribute__((always_inline)) void screen_body(const float* tile, std::span<const std::int32_t> columns,
                                                       const float* member, const ScreenDecision& decision,
                                                       bool* proven, MultiplyAdd multiply_add) {
  float sq[kW], sqq[kW], sqt[kW];
  sums_body(tile, columns, member, sq, sqq, sqt, multiply_add);
  for (std::size_t block = 0; block < kW; block += 8) {
    const auto mask = proven_below(widen(sq + block), widen(sqq + block), widen(sqt + block), decision);
    const auto bytes = __builtin_convertvector(mask & 1, Bytes);
    std::memcpy(proven + block, &bytes, sizeof bytes);
  }
}

void sums_base(const float* tile, std::span<const std::int32_t> columns, const float* member, float* sq, float* sqq,
               float* sqt) {
  sums_body(tile, columns, member, sq, sqq, sqt, Separate{});
}
void screen_base(const float* tile, std::span<const std::int32_t> columns, const float* member,
                 const ScreenDecision& decision, bool* proven) {
  screen_body(tile, columns, member, decision, proven, Separate{});
}

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#ifdef KOVA_WIDE_FUNCTORS
// Built for 512 bits, like its only callers, so the vectors it takes stay in their registers.
struct Fused {
  __attribute__((target("avx512f"))) inline Floats operator()(Floats a, Floats b, Floats c) const {
    return reinterpret_cast<Floats>(
        _mm512_fmadd_ps(reinterpret_cast<__m512>(a), reinterpret_cast<__m512>(b), reinterpret_cast<__m512>(c)));
  }
};
#else
using Fused = Separate;
#endif

#ifdef KOVA_HALF_PRECISION
// Half precision: 32 lanes in one vector, the even and the odd columns in sums of their own, each
// product fused with its sum; then the sums widened to single precision, sixteen lanes at a time,
// for the decision with each lane's own e_a.
#define KOVA_HALF_TARGET __attribute__((target("avx512fp16,avx512f,avx512bw,avx512vl")))
#define KOVA_HALF_COLUMN(q, qq, qt, j)                                                       \
  {                                                                                          \
    const __m512h value = _mm512_loadu_ph(tile + static_cast<std::size_t>(columns[j]) * kW); \
    const __m512h t = _mm512_castsi512_ph(_mm512_set1_epi16(static_cast<short>(member[j]))); \
    q = _mm512_add_ph(q, value);                                                             \
    qq = _mm512_fmadd_ph(value, value, qq);                                                  \
    qt = _mm512_fmadd_ph(value, t, qt);                                                      \
  }
KOVA_HALF_TARGET void screen_half(const std::uint16_t* tile, std::span<const std::int32_t> columns,
                                  const std::uint16_t* member, const HalfDecision& decision, bool* proven) {
  static_assert(kW == 32, "one vector of 32 half-precision lanes");
  __m512h q0 = _mm512_setzero_ph(), qq0 = q0, qt0 = q0, q1 = q0, qq1 = q0, qt1 = q0;
  std::size_t j = 0;
  for (; j + 2 <= columns.size(); j += 2) {
    KOVA_HALF_COLUMN(q0, qq0, qt0, j)
    KOVA_HALF_COLUMN(q1, qq1, qt1, j + 1)
  }
  if (j < columns.size()) KOVA_HALF_COLUMN(q0, qq0, qt0, j)
  std::uint16_t sums[3][kW];  // as bits, for the decision sixteen lanes at a time
  _mm512_storeu_si512(sums[0], _mm512_castph_si512(_mm512_add_ph(q0, q1)));
  _mm512_storeu_si512(sums[1], _mm512_castph_si512(_mm512_add_ph(qq0, qq1)));
  _mm512_storeu_si512(sums[2], _mm512_castph_si512(_mm512_add_ph(qt0, qt1)));
  for (std::size_t block = 0; block < kW; block += 16) {
    Floats f[3];
    for (std::size_t s = 0; s < 3; ++s) {
      const __m256i halves = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(sums[s] + block));
      f[s] = reinterpret_cast<Floats>(_mm512_maskz_cvtph_ps(0xFFFF, halves));
    }
    const auto bytes = __builtin_convertvector(proven_below_half(f[0], f[1], f[2], decision) & 1, SixteenBytes);
    std::memcpy(proven + block, &bytes, sizeof bytes);
  }
}
#undef KOVA_HALF_COLUMN
#endif

#define KOVA_WIDE_VARIANTS(target_name, suffix, multiply_add)                                                         \
  __attribute__((target(target_name))) void sums_##suffix(const float* tile, std::span<const std::int32_t> columns,   \
                                                          const float* member, float* sq, float* sqq, float* sqt) {   \
    sums_body(tile, columns, member, sq, sqq, sqt, multiply_add{});                                                   \
  }                                                                                                                   \
  __attribute__((target(target_name))) void screen_##suffix(const float* tile, std::span<const std::int32_t> columns, \
                                                            const float* member, const ScreenDecision& decision,      \
                                                            bool* proven) {                                           \
    screen_body(tile, columns, member, decision, proven, multiply_add{});                                             \
  }
KOVA_WIDE_VARIANTS("avx512f", 512, Fused)
KOVA_WIDE_VARIANTS("avx", 256, Separate)
#undef KOVA_WIDE_VARIANTS
#endif

// Column by column, so that the writes run on and each row is read along its length.
void columns_base(const double* const* rows, const double* shift, const double* factor, std::size_t samples,
                  float* out) {
  for (std::size_t c = 0; c < samples; ++c, out += kW) {
    for (std::size_t k = 0; k < kW; ++k) out[k] = screen_value(rows[k][c], shift[k], factor[k]);
  }
}

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
// Blocks of eight lanes by eight columns: each lane's row read eight values at a time, the
// operations of screen_value in double (the same bits), then the block transposed so that each
// column's eight lanes are stored together.
__attribute__((target("avx512f"))) void columns_512(const double* const* rows, const double* shift,
                                                    const double* factor, std::size_t samples, float* out) {
  for (std::size_t lane = 0; lane < kW; lane += 8) {
    std::size_t c = 0;
    for (; c + 8 <= samples; c += 8) {
      __m256 v[8];
      for (std::size_t i = 0; i < 8; ++i) {
        const __m512d x = _mm512_loadu_pd(rows[lane + i] + c);
        const __m512d q =
            _mm512_mul_pd(_mm512_sub_pd(x, _mm512_set1_pd(shift[lane + i])), _mm512_set1_pd(factor[lane + i]));
        v[i] = _mm512_maskz_cvtpd_ps(0xFF, q);
      }
      __m256 t[8], u[8];
      for (std::size_t i = 0; i < 8; i += 2) {
        t[i] = _mm256_unpacklo_ps(v[i], v[i + 1]);
        t[i + 1] = _mm256_unpackhi_ps(v[i], v[i + 1]);
      }
      for (std::size_t i = 0; i < 8; i += 4) {
        u[i] = _mm256_shuffle_ps(t[i], t[i + 2], _MM_SHUFFLE(1, 0, 1, 0));
        u[i + 1] = _mm256_shuffle_ps(t[i], t[i + 2], _MM_SHUFFLE(3, 2, 3, 2));
        u[i + 2] = _mm256_shuffle_ps(t[i + 1], t[i + 3], _MM_SHUFFLE(1, 0, 1, 0));
        u[i + 3] = _mm256_shuffle_ps(t[i + 1], t[i + 3], _MM_SHUFFLE(3, 2, 3, 2));
      }
      for (std::size_t j = 0; j < 4; ++j) {
        _mm256_storeu_ps(out + (c + j) * kW + lane, _mm256_permute2f128_ps(u[j], u[j + 4], 0x20));
        _mm256_storeu_ps(out + (c + j + 4) * kW + lane, _mm256_permute2f128_ps(u[j], u[j + 4], 0x31));
      }
    }
    for (; c < samples; ++c) {
      for (std::size_t k = lane; k < lane + 8; ++k) out[c * kW + k] = screen_value(rows[k][c], shift[k], factor[k]);
    }
  }
}
#endif

}  // namespace

void screen_columns(const double* const* rows, const double* shift, const double* factor, std::size_t samples,
                    float* out, int width) {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
  if (width >= 512 && widest_vectors() >= 512) return columns_512(rows, shift, factor, samples, out);
#endif
  (void)width;
  columns_base(rows, shift, factor, samples, out);
}

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
  screen_columns(rows, shift, factor, samples, values_.data(), widest_vectors());
  if (has_half_precision()) {
    halves_.resize(values_.size());
    to_half(values_, halves_.data());
  }
}

void ScreenTile::proven_below(const ScreenMember& member, std::span<const std::int32_t> columns, bool* proven,
                              bool half_allowed) const {
#ifdef KOVA_HALF_PRECISION
  if (half_allowed && member.half_usable() && !halves_.empty()) {
    return screen_half(halves_.data(), columns, member.half_values().data(), member.half_decision(group_), proven);
  }
#endif
  (void)half_allowed;
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
