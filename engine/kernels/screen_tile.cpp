#include "engine/kernels/screen_tile.hpp"

#include <algorithm>
#include <cstring>
#include <limits>
#include <type_traits>

#include "engine/kernels/half_values.hpp"
#include "engine/kernels/vector_width.hpp"

#ifdef KOVA_X86_KERNELS
#include <immintrin.h>
#endif

namespace kova {
namespace {

// Every function here that takes or returns a vector is always inlined into one instruction
// set's variant, so no vector crosses a call: a vector passed between code built for different
// instructions would arrive garbled.

constexpr std::size_t kW = ScreenTile::kWidth;

// A tile's sums per lane, in up to two chains (screen_sum_order; the widths with one leave the
// second alone), kept in memory so that they can be decided on after the early test's columns and
// then carried on over the rest. The sums start from zeros in registers, not from zeros stored
// here: a wide load of what narrower stores just wrote would stall.
struct alignas(64) TileSums {
  float q[2][kW], qq[2][kW], qt[2][kW];
};

// Sixteen floats and eight doubles, the 512-bit kernels' vectors.
using Floats = float __attribute__((vector_size(64)));
using HalfFloats = float __attribute__((vector_size(32)));
using Doubles = double __attribute__((vector_size(64)));
using Bytes = std::uint8_t __attribute__((vector_size(8)));

// The baseline's vectors: 16 bytes, which every x86-64 (SSE2) and ARM64 (Advanced SIMD) processor
// holds in a register; elsewhere the compiler takes them lane by lane.
using Floats4 = float __attribute__((vector_size(16)));
using Doubles2 = double __attribute__((vector_size(16)));
using Floats2 = float __attribute__((vector_size(8)));
using Bytes2 = std::uint8_t __attribute__((vector_size(2)));
// The 256-bit kernels' decision: four doubles.
using Doubles4 = double __attribute__((vector_size(32)));
using Bytes4 = std::uint8_t __attribute__((vector_size(4)));

// Four floats widened to doubles. GCC 12 widens them through memory, half at a time; with 256-bit
// instructions it is one instruction (a function built for them, see vector_width.hpp).
#ifdef KOVA_WIDE_FUNCTORS
__attribute__((target("avx2,fma"))) inline Doubles4 widened_256(Floats4 v) {
  return reinterpret_cast<Doubles4>(_mm256_cvtps_pd(reinterpret_cast<__m128>(v)));
}
// The four lanes of a comparison's mask as bytes 0 or 1, in the byte order of x86: the signs in
// four bits, each moved to the bottom of its own byte by one multiplication (no carries: the four
// shifted copies of the bits do not overlap). GCC 12 takes the lanes out one by one instead.
__attribute__((target("avx2,fma"))) inline std::uint32_t flag_bytes_256(Doubles4 mask) {
  const auto bits = static_cast<std::uint32_t>(_mm256_movemask_pd(reinterpret_cast<__m256d>(mask)));
  return (bits * 0x204081u) & 0x01010101u;
}
#endif
template <class Wide, class Narrow>
inline __attribute__((always_inline)) Wide widened(Narrow narrow) {
#ifdef KOVA_WIDE_FUNCTORS
  if constexpr (sizeof(Wide) == 32) return widened_256(narrow);
#endif
  return __builtin_convertvector(narrow, Wide);
}

// The decision for the sums of a whole tile, `Wide` doubles at a time (a vector of the width's
// own size, so that it stays in registers); proven[k] = 1 where lane k is proven below.
template <class Wide, class Narrow, class Flags>
inline __attribute__((always_inline)) void decide(const float* sq, const float* sqq, const float* sqt,
                                                  const ScreenDecision& decision, bool* proven) {
  constexpr std::size_t kLanes = sizeof(Wide) / sizeof(double);
  const auto widen = [](const float* at) __attribute__((always_inline)) {
    Narrow narrow;
    std::memcpy(&narrow, at, sizeof narrow);
    return widened<Wide>(narrow);
  };
  // A local copy: the stores into `proven` could alias the caller's, which would then be loaded
  // again for every block.
  const ScreenDecision local = decision;
  for (std::size_t block = 0; block < kW; block += kLanes) {
    const auto mask = proven_below(widen(sq + block), widen(sqq + block), widen(sqt + block), local);
#ifdef KOVA_WIDE_FUNCTORS
    if constexpr (sizeof(Wide) == 32) {
      const std::uint32_t bytes = flag_bytes_256(reinterpret_cast<Doubles4>(mask));
      std::memcpy(proven + block, &bytes, sizeof bytes);
      continue;
    }
#endif
#ifdef KOVA_X86_KERNELS
    if constexpr (sizeof(Wide) == 16) {  // the same with the baseline's two lanes
      const auto bits = static_cast<std::uint16_t>(_mm_movemask_pd(reinterpret_cast<__m128d>(mask)));
      const auto bytes = static_cast<std::uint16_t>((bits * 0x81u) & 0x0101u);
      std::memcpy(proven + block, &bytes, sizeof bytes);
      continue;
    }
#endif
    const auto flags = __builtin_convertvector(mask & 1, Flags);
    std::memcpy(proven + block, &flags, sizeof flags);
  }
}

// The decision in single precision for the sums of a whole tile (single-precision sums, or
// half-precision ones widened), `Real` floats at a time: masks[k] = -1 where lane k is proven
// below, else 0. The sums and masks go through memory, so that no vector crosses into code built
// for other instructions; each width then narrows the masks to flags with its own.
template <class Real, class Decision>
inline __attribute__((always_inline)) void single_masks(const float* sq, const float* sqq, const float* sqt,
                                                        const Decision& decision, std::int32_t* masks) {
  const Decision local = decision;  // as in decide()
  for (std::size_t block = 0; block < kW; block += sizeof(Real) / sizeof(float)) {
    Real f1, f2, f3;
    std::memcpy(&f1, sq + block, sizeof f1);
    std::memcpy(&f2, sqq + block, sizeof f2);
    std::memcpy(&f3, sqt + block, sizeof f3);
    Real mask;
    if constexpr (std::is_same_v<Decision, HalfDecision>) {
      mask = reinterpret_cast<Real>(proven_below_half(f1, f2, f3, local));
    } else if constexpr (std::is_same_v<Decision, PrefixDecision>) {
      mask = reinterpret_cast<Real>(proven_below_from_prefix(f1, f2, f3, local));
    } else {
      mask = reinterpret_cast<Real>(proven_below(f1, f2, f3, local));
    }
    std::memcpy(masks + block, &mask, sizeof mask);
  }
}

// Plain products and sums; with 512-bit instructions the product and sum as one fused operation
// (one rounding instead of two, which the bound allows for).
struct Separate {
  inline __attribute__((always_inline)) Floats operator()(Floats a, Floats b, Floats c) const { return a * b + c; }
};

// The even and the odd columns in sums of their own, so that each sum waits for its previous value
// only every other column; the two are added at the end (the bound holds for any order). With
// `carry_on`, carries on from `sums`, which an even number of columns went into.
template <class MultiplyAdd>
inline __attribute__((always_inline)) void sums_body(const float* tile, std::span<const std::int32_t> columns,
                                                     const float* member, TileSums& sums, bool carry_on,
                                                     MultiplyAdd multiply_add) {
  constexpr std::size_t kVectors = kW / 16;
  Floats q[2][kVectors] = {}, qq[2][kVectors] = {}, qt[2][kVectors] = {};
  if (carry_on) {
    std::memcpy(q, sums.q, sizeof q);
    std::memcpy(qq, sums.qq, sizeof qq);
    std::memcpy(qt, sums.qt, sizeof qt);
  }
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
  std::memcpy(sums.q, q, sizeof q);
  std::memcpy(sums.qq, qq, sizeof qq);
  std::memcpy(sums.qt, qt, sizeof qt);
}

// The baseline: sixteen lanes at a time (twelve vectors of sums, which the sixteen registers of
// SSE2 or the thirty-two of Advanced SIMD hold), the columns in order, products rounded apart.
void sums_base(const float* tile, std::span<const std::int32_t> columns, const float* member, TileSums& sums,
               bool carry_on) {
  constexpr std::size_t kVectors = 4;
  for (std::size_t lane = 0; lane < kW; lane += 4 * kVectors) {
    Floats4 q[kVectors] = {}, qq[kVectors] = {}, qt[kVectors] = {};
    if (carry_on) {
      std::memcpy(q, sums.q[0] + lane, sizeof q);
      std::memcpy(qq, sums.qq[0] + lane, sizeof qq);
      std::memcpy(qt, sums.qt[0] + lane, sizeof qt);
    }
    for (std::size_t j = 0; j < columns.size(); ++j) {
      const float* at = tile + static_cast<std::size_t>(columns[j]) * kW + lane;
      const Floats4 t = Floats4{} + member[j];
      for (std::size_t v = 0; v < kVectors; ++v) {
        Floats4 value;
        std::memcpy(&value, at + 4 * v, sizeof value);
        q[v] += value;
        qq[v] += value * value;
        qt[v] += value * t;
      }
    }
    std::memcpy(sums.q[0] + lane, q, sizeof q);
    std::memcpy(sums.qq[0] + lane, qq, sizeof qq);
    std::memcpy(sums.qt[0] + lane, qt, sizeof qt);
  }
}

// Out of line, as the wider kernels are: inlined into its caller, its use of every vector register
// would make the caller save the ten that the Windows convention has callees keep, at every tile.
__attribute__((noinline)) void screen_base(const float* tile, std::span<const std::int32_t> columns,
                                           const float* member, const ScreenDecision& decision, bool* proven) {
  TileSums sums;
  sums_base(tile, columns, member, sums, false);
  decide<Doubles2, Floats2, Bytes2>(sums.q[0], sums.qq[0], sums.qt[0], decision, proven);
}
// The single-precision decision (or the early test) on the sums, sixteen lanes' masks narrowed at a time.
// Each width's flags also come back as one bit per lane, bit k for lane k: the early test asks
// whether all lanes in use passed without reading back the flags just stored.
template <class Decision>
__attribute__((noinline)) std::uint32_t flags_base(const TileSums& sums, const Decision& decision, bool* proven) {
  alignas(16) std::int32_t masks[kW];
  single_masks<Floats4>(sums.q[0], sums.qq[0], sums.qt[0], decision, masks);
  std::uint32_t bits = 0;
#ifdef KOVA_X86_KERNELS
  // By two saturating packs, which keep the order.
  for (std::size_t block = 0; block < kW; block += 16) {
    const auto* at = reinterpret_cast<const __m128i*>(masks + block);
    const __m128i bytes = _mm_packs_epi16(_mm_packs_epi32(_mm_load_si128(at), _mm_load_si128(at + 1)),
                                          _mm_packs_epi32(_mm_load_si128(at + 2), _mm_load_si128(at + 3)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(proven + block), _mm_and_si128(bytes, _mm_set1_epi8(1)));
    bits |= static_cast<std::uint32_t>(_mm_movemask_epi8(bytes)) << block;
  }
#else
  for (std::size_t k = 0; k < kW; ++k) {
    proven[k] = masks[k] != 0;
    bits |= static_cast<std::uint32_t>(proven[k]) << k;
  }
#endif
  return bits;
}

#ifdef KOVA_X86_KERNELS
// One vector's value at a time, so that fourteen registers suffice (twelve sums, t, the value).
__attribute__((target("avx2,fma"), always_inline)) inline void add_256(const float* at, __m256 t, __m256& q, __m256& qq,
                                                                       __m256& qt) {
  const __m256 value = _mm256_loadu_ps(at);
  q = _mm256_add_ps(q, value);
  qq = _mm256_fmadd_ps(value, value, qq);
  qt = _mm256_fmadd_ps(value, t, qt);
}

// 256 bits: the 32 lanes in four vectors per sum (twelve registers of sixteen), the columns in
// order, each product fused with its sum; with `carry_on`, carrying on from `sums`.
__attribute__((target("avx2,fma"))) void sums_256(const float* tile, std::span<const std::int32_t> columns,
                                                  const float* member, TileSums& sums, bool carry_on) {
  static_assert(kW == 32, "four vectors of eight lanes");
  float* sum_q = sums.q[0];
  float* sum_qq = sums.qq[0];
  float* sum_qt = sums.qt[0];
  __m256 q0 = _mm256_setzero_ps(), q1 = q0, q2 = q0, q3 = q0;
  __m256 qq0 = q0, qq1 = q0, qq2 = q0, qq3 = q0;
  __m256 qt0 = q0, qt1 = q0, qt2 = q0, qt3 = q0;
  if (carry_on) {
    q0 = _mm256_loadu_ps(sum_q), q1 = _mm256_loadu_ps(sum_q + 8);
    q2 = _mm256_loadu_ps(sum_q + 16), q3 = _mm256_loadu_ps(sum_q + 24);
    qq0 = _mm256_loadu_ps(sum_qq), qq1 = _mm256_loadu_ps(sum_qq + 8);
    qq2 = _mm256_loadu_ps(sum_qq + 16), qq3 = _mm256_loadu_ps(sum_qq + 24);
    qt0 = _mm256_loadu_ps(sum_qt), qt1 = _mm256_loadu_ps(sum_qt + 8);
    qt2 = _mm256_loadu_ps(sum_qt + 16), qt3 = _mm256_loadu_ps(sum_qt + 24);
  }
  // Two columns per round, in order: the loop's counting shared, and no spill (unrolled by hand,
  // GCC 12 loads all eight values first and runs out of registers).
#pragma GCC unroll 2
  for (std::size_t j = 0; j < columns.size(); ++j) {
    const float* at = tile + static_cast<std::size_t>(columns[j]) * kW;
    const __m256 t = _mm256_broadcast_ss(member + j);
    add_256(at, t, q0, qq0, qt0);
    add_256(at + 8, t, q1, qq1, qt1);
    add_256(at + 16, t, q2, qq2, qt2);
    add_256(at + 24, t, q3, qq3, qt3);
  }
  _mm256_storeu_ps(sum_q, q0);
  _mm256_storeu_ps(sum_q + 8, q1);
  _mm256_storeu_ps(sum_q + 16, q2);
  _mm256_storeu_ps(sum_q + 24, q3);
  _mm256_storeu_ps(sum_qq, qq0);
  _mm256_storeu_ps(sum_qq + 8, qq1);
  _mm256_storeu_ps(sum_qq + 16, qq2);
  _mm256_storeu_ps(sum_qq + 24, qq3);
  _mm256_storeu_ps(sum_qt, qt0);
  _mm256_storeu_ps(sum_qt + 8, qt1);
  _mm256_storeu_ps(sum_qt + 16, qt2);
  _mm256_storeu_ps(sum_qt + 24, qt3);
}

__attribute__((target("avx2,fma"))) void screen_256(const float* tile, std::span<const std::int32_t> columns,
                                                    const float* member, const ScreenDecision& decision, bool* proven) {
  TileSums sums;
  sums_256(tile, columns, member, sums, false);
  decide<Doubles4, Floats4, Bytes4>(sums.q[0], sums.qq[0], sums.qt[0], decision, proven);
}

// The decision in single precision (or the early test), eight lanes at a time, the 32 lanes' masks
// narrowed to bytes together: the packs work within 128-bit halves, so the groups of four lanes
// come out in the order 0, 8, 16, 24, 4, 12, 20, 28, which one permutation puts right.
template <class Decision>
__attribute__((target("avx2,fma"))) std::uint32_t flags_256(const TileSums& sums, const Decision& decision,
                                                            bool* proven) {
  using Floats8 = float __attribute__((vector_size(32)));
  alignas(32) std::int32_t masks[kW];
  single_masks<Floats8>(sums.q[0], sums.qq[0], sums.qt[0], decision, masks);
  const auto* at = reinterpret_cast<const __m256i*>(masks);
  const __m256i bytes = _mm256_packs_epi16(_mm256_packs_epi32(_mm256_load_si256(at), _mm256_load_si256(at + 1)),
                                           _mm256_packs_epi32(_mm256_load_si256(at + 2), _mm256_load_si256(at + 3)));
  const __m256i ordered = _mm256_permutevar8x32_epi32(bytes, _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(proven), _mm256_and_si256(ordered, _mm256_set1_epi8(1)));
  return static_cast<std::uint32_t>(_mm256_movemask_epi8(ordered));
}

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
// for the decision with each lane's own e_a. The half-precision additions and fused multiply-adds
// are written as the instructions (see vector_width.hpp), on vectors of 32 halves held as bits.
#define KOVA_HALF_TARGET __attribute__((target("avx512f,avx512bw,avx512vl")))
KOVA_HALF_TARGET inline __attribute__((always_inline)) void add_halves(__m512i& sum, __m512i value) {
  asm("vaddph %1, %0, %0" : "+v"(sum) : "v"(value));
}
KOVA_HALF_TARGET inline __attribute__((always_inline)) void fused_halves(__m512i& sum, __m512i a, __m512i b) {
  asm("vfmadd231ph %2, %1, %0" : "+v"(sum) : "v"(a), "v"(b));  // sum + a * b, rounded once
}
#define KOVA_HALF_COLUMN(q, qq, qt, j)                                                                  \
  {                                                                                                     \
    const __m512i value = _mm512_loadu_si512(tile + static_cast<std::size_t>(columns[j]) * kW);         \
    const __m512i t = _mm512_set1_epi16(static_cast<short>(member[j]));                                 \
    add_halves(q, value);                                                                               \
    fused_halves(qq, value, value);                                                                     \
    fused_halves(qt, value, t);                                                                         \
  }
KOVA_HALF_TARGET std::uint32_t screen_half(const std::uint16_t* tile, std::span<const std::int32_t> columns,
                                           const std::uint16_t* member, const HalfDecision& decision, bool* proven) {
  static_assert(kW == 32, "one vector of 32 half-precision lanes");
  __m512i q0 = _mm512_setzero_si512(), qq0 = q0, qt0 = q0, q1 = q0, qq1 = q0, qt1 = q0;
  std::size_t j = 0;
  for (; j + 2 <= columns.size(); j += 2) {
    KOVA_HALF_COLUMN(q0, qq0, qt0, j)
    KOVA_HALF_COLUMN(q1, qq1, qt1, j + 1)
  }
  if (j < columns.size()) KOVA_HALF_COLUMN(q0, qq0, qt0, j)
  add_halves(q0, q1);
  add_halves(qq0, qq1);
  add_halves(qt0, qt1);
  // Widened sixteen lanes at a time (the zero-masked forms: the plain ones start from an undefined
  // vector, which GCC 12 warns about). Each widened vector passes through an empty statement that
  // hides where it came from: clang would otherwise fold the decision's comparisons back onto the
  // halves and, without half-precision instructions of its own, take them one lane at a time.
  float sums[3][kW];
  const __m512i all[3] = {q0, qq0, qt0};
  for (std::size_t s = 0; s < 3; ++s) {
    for (int part = 0; part < 2; ++part) {
      const __m256i sixteen = part == 0 ? _mm512_maskz_extracti64x4_epi64(0xF, all[s], 0)
                                        : _mm512_maskz_extracti64x4_epi64(0xF, all[s], 1);
      __m512 widened = _mm512_maskz_cvtph_ps(0xFFFF, sixteen);
      asm("" : "+v"(widened));
      _mm512_storeu_ps(sums[s] + 16 * part, widened);
    }
  }
  alignas(64) std::int32_t masks[kW];
  single_masks<Floats>(sums[0], sums[1], sums[2], decision, masks);
  std::uint32_t bits = 0;
  for (std::size_t block = 0; block < kW; block += 16) {
    const __m128i bytes = _mm512_maskz_cvtepi32_epi8(0xFFFF, _mm512_load_si512(masks + block));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(proven + block), _mm_and_si128(bytes, _mm_set1_epi8(1)));
    bits |= static_cast<std::uint32_t>(_mm_movemask_epi8(bytes)) << block;
  }
  return bits;
}
#undef KOVA_HALF_COLUMN
#endif

__attribute__((target("avx512f"))) void sums_512(const float* tile, std::span<const std::int32_t> columns,
                                                 const float* member, TileSums& sums, bool carry_on) {
  sums_body(tile, columns, member, sums, carry_on, Fused{});
}
// The two chains of each sum added up, sixteen lanes at a time.
__attribute__((target("avx512f"))) inline __attribute__((always_inline)) void add_chains(const TileSums& sums,
                                                                                         float* sq, float* sqq,
                                                                                         float* sqt) {
  const float(*from[3])[kW] = {sums.q, sums.qq, sums.qt};
  float* to[3] = {sq, sqq, sqt};
  for (std::size_t s = 0; s < 3; ++s) {
    for (std::size_t lane = 0; lane < kW; lane += 16) {
      Floats even, odd;
      std::memcpy(&even, from[s][0] + lane, sizeof even);
      std::memcpy(&odd, from[s][1] + lane, sizeof odd);
      const Floats sum = even + odd;
      std::memcpy(to[s] + lane, &sum, sizeof sum);
    }
  }
}
__attribute__((target("avx512f"))) void screen_512(const float* tile, std::span<const std::int32_t> columns,
                                                   const float* member, const ScreenDecision& decision, bool* proven) {
  TileSums sums;
  sums_512(tile, columns, member, sums, false);
  float sq[kW], sqq[kW], sqt[kW];
  add_chains(sums, sq, sqq, sqt);
  decide<Doubles, HalfFloats, Bytes>(sq, sqq, sqt, decision, proven);
}
template <class Decision>
__attribute__((target("avx512f"))) std::uint32_t flags_512(const TileSums& sums, const Decision& decision,
                                                           bool* proven) {
  float sq[kW], sqq[kW], sqt[kW];
  add_chains(sums, sq, sqq, sqt);
  alignas(64) std::int32_t masks[kW];
  single_masks<Floats>(sq, sqq, sqt, decision, masks);
  std::uint32_t bits = 0;
  for (std::size_t block = 0; block < kW; block += 16) {
    // The zero-masked form: the plain one starts from an undefined vector, which GCC 12 warns about.
    const __m128i bytes = _mm512_maskz_cvtepi32_epi8(0xFFFF, _mm512_load_si512(masks + block));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(proven + block), _mm_and_si128(bytes, _mm_set1_epi8(1)));
    bits |= static_cast<std::uint32_t>(_mm_movemask_epi8(bytes)) << block;
  }
  return bits;
}
#endif

// Lanes [first_lane, end_lane) at columns [first_column, samples), column by column, so that the
// writes run on and each row is read along its length.
void columns_one_by_one(const float* const* rows, std::size_t first_lane, std::size_t end_lane,
                        std::size_t first_column, std::size_t samples, float* out) {
  for (std::size_t c = first_column; c < samples; ++c) {
    for (std::size_t k = first_lane; k < end_lane; ++k) out[c * kW + k] = rows[k][c];
  }
}

#ifdef KOVA_X86_KERNELS
// Blocks of eight lanes by eight columns: each lane's row read eight values at a time, then the
// block transposed so that each column's eight lanes are stored together.
__attribute__((target("avx2,fma"))) void columns_256(const float* const* rows, std::size_t samples, float* out) {
  for (std::size_t lane = 0; lane < kW; lane += 8) {
    std::size_t c = 0;
    for (; c + 8 <= samples; c += 8) {
      __m256 v[8], t[8], u[8];
      for (std::size_t i = 0; i < 8; ++i) v[i] = _mm256_loadu_ps(rows[lane + i] + c);
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
    columns_one_by_one(rows, lane, lane + 8, c, samples, out);
  }
}
#endif

// The single-precision sums at the width in use, then the decision in double.
void screen(const float* tile, std::span<const std::int32_t> columns, const float* member,
            const ScreenDecision& decision, bool* proven) {
#ifdef KOVA_X86_KERNELS
  const int width = vector_width();
  if (width >= 512) return screen_512(tile, columns, member, decision, proven);
  if (width >= 256) return screen_256(tile, columns, member, decision, proven);
#endif
  screen_base(tile, columns, member, decision, proven);
}

// What the screen in single precision needs of a member and a tile.
struct SingleScreen {
  const ScreenMember& member;
  const GroupScale& group;
  std::size_t lanes;  // the tile's candidates; the lanes after them prove nothing
};

// The early test on the sums over the first columns; when it leaves some lane in use unproven,
// the sums carry on over the rest to the decision over all of them, and a lane is proven by either.
// `Sums`, `Full` and `Early` are one width's sums and its flags for the two decisions.
template <auto Sums, auto Full, auto Early>
std::uint32_t screen_single(const float* tile, std::span<const std::int32_t> columns, const float* member,
                            const SingleScreen& screen, bool* proven) {
  TileSums sums;
  const std::size_t first = screen.member.prefix_columns();
  std::uint32_t early = 0;
  if (first != 0) {
    Sums(tile, columns.first(first), member, sums, false);
    early = Early(sums, screen.member.prefix_decision(screen.group), proven);
    const std::uint32_t in_use = screen.lanes >= kW ? ~std::uint32_t{0} : (std::uint32_t{1} << screen.lanes) - 1;
    if ((early & in_use) == in_use) return early;
  }
  Sums(tile, columns.subspan(first), member + first, sums, first != 0);
  const SingleDecision decision = screen.member.single_decision(screen.group);
  if (first == 0) return Full(sums, decision, proven);
  bool full[kW];
  const std::uint32_t bits = Full(sums, decision, full);
  for (std::size_t k = 0; k < kW; ++k) proven[k] = proven[k] || full[k];
  return early | bits;
}

std::uint32_t screen(const float* tile, std::span<const std::int32_t> columns, const float* member,
                     const SingleScreen& screen, bool* proven) {
#ifdef KOVA_X86_KERNELS
  const int width = vector_width();
  if (width >= 512) {
    return screen_single<sums_512, flags_512<SingleDecision>, flags_512<PrefixDecision>>(tile, columns, member,
                                                                                          screen, proven);
  }
  if (width >= 256) {
    return screen_single<sums_256, flags_256<SingleDecision>, flags_256<PrefixDecision>>(tile, columns, member,
                                                                                          screen, proven);
  }
#endif
  return screen_single<sums_base, flags_base<SingleDecision>, flags_base<PrefixDecision>>(tile, columns, member,
                                                                                           screen, proven);
}

}  // namespace

void screen_columns(const float* const* rows, std::size_t samples, float* out, int width) {
#ifdef KOVA_X86_KERNELS
  if (width >= 256 && widest_vectors() >= 256) return columns_256(rows, samples, out);
#endif
  (void)width;
  columns_one_by_one(rows, 0, kW, 0, samples, out);
}

void screen_sums(const float* tile, std::span<const std::int32_t> columns, const float* member, float* sum_q,
                 float* sum_qq, float* sum_qt, int width) {
  TileSums sums;
  bool two_chains = false;
#ifdef KOVA_X86_KERNELS
  if (width >= 512 && widest_vectors() >= 512) {
    sums_512(tile, columns, member, sums, false);
    two_chains = true;
  } else if (width >= 256 && widest_vectors() >= 256) {
    sums_256(tile, columns, member, sums, false);
  } else {
    sums_base(tile, columns, member, sums, false);
  }
#else
  (void)width;
  sums_base(tile, columns, member, sums, false);
#endif
  for (std::size_t k = 0; k < kW; ++k) {
    sum_q[k] = two_chains ? sums.q[0][k] + sums.q[1][k] : sums.q[0][k];
    sum_qq[k] = two_chains ? sums.qq[0][k] + sums.qq[1][k] : sums.qq[0][k];
    sum_qt[k] = two_chains ? sums.qt[0][k] + sums.qt[1][k] : sums.qt[0][k];
  }
}

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

ScreenWidth screen_width() { return {has_half_precision(), &to_half}; }

ScreenSumOrder screen_sum_order(int width) {
#ifdef KOVA_X86_KERNELS
  if (width >= 512 && widest_vectors() >= 512) return {2, kFusedWideSums};
  if (width >= 256 && widest_vectors() >= 256) return {1, true};
#endif
  (void)width;
  return {1, false};
}

void ScreenTile::load(const ScreenRows& rows, std::span<const std::int32_t> genes,
                      std::span<const ScreenScale> scales) {
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
  screen_columns(lanes, samples, values_.data(), vector_width());
  halves_.clear();
  if (has_half_precision()) {
    halves_.resize(values_.size());
    to_half(values_, halves_.data());
  }
}

std::uint32_t ScreenTile::proven_below(const ScreenMember& member, bool* proven, bool half_allowed) const {
  const std::vector<std::int32_t>& columns = member.columns();
#ifdef KOVA_HALF_PRECISION
  if (half_allowed && member.half_usable() && !halves_.empty()) {
    return screen_half(halves_.data(), columns, member.half_values().data(), member.half_decision(group_), proven);
  }
#endif
  (void)half_allowed;
  const float* t = member.values().data();
  if (member.single_usable()) {
    const SingleScreen single{member, group_, size_};
    return screen(values_.data(), columns, t, single, proven);
  }
  screen(values_.data(), columns, t, member.decision(group_), proven);
  std::uint32_t bits = 0;  // the decision in double, for the rare member outside single precision's range
  for (std::size_t k = 0; k < kW; ++k) bits |= static_cast<std::uint32_t>(proven[k]) << k;
  return bits;
}

}  // namespace kova
