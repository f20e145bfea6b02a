// The kernels in 256-bit vectors, each product fused with its sum where the bounds allow for it.
// Built with AVX2 and FMA (sources.txt): the dispatcher hands them out only where the processor has
// both.

#include <immintrin.h>

#include "engine/kernels/generic/copies.hpp"
#include "engine/kernels/generic/estimates.hpp"
#include "engine/kernels/generic/screen.hpp"
#include "engine/kernels/isa/instruction_sets.hpp"

namespace kova::kernels::avx2 {
namespace {

using generic::kW;

struct Isa : Vectors32 {
  static constexpr ScreenSumOrder kOrder{1, true};

  static inline __attribute__((always_inline)) std::uint32_t bits(MaskOf<Floats> mask) {
    return static_cast<std::uint32_t>(_mm256_movemask_ps(reinterpret_cast<__m256>(mask)));
  }
  static inline __attribute__((always_inline)) std::uint32_t bits(MaskOf<Doubles> mask) {
    return static_cast<std::uint32_t>(_mm256_movemask_pd(reinterpret_cast<__m256d>(mask)));
  }

  static inline __attribute__((always_inline)) Doubles widened(WidenedFloats v) {
    return reinterpret_cast<Doubles>(_mm256_cvtps_pd(reinterpret_cast<__m128>(v)));
  }

  static inline __attribute__((always_inline)) __m256i first(std::size_t count) {
    return _mm256_cmpgt_epi64(_mm256_set1_epi64x(static_cast<long long>(count)), _mm256_setr_epi64x(0, 1, 2, 3));
  }
  static inline __attribute__((always_inline)) Doubles first_lanes(const double* from, std::size_t count) {
    const __m256i lanes = first(count);
    return reinterpret_cast<Doubles>(
        _mm256_blendv_pd(_mm256_set1_pd(generic::kNaN), _mm256_maskload_pd(from, lanes), _mm256_castsi256_pd(lanes)));
  }
  static inline __attribute__((always_inline)) void store_first_lanes(double* to, std::size_t count, Doubles v) {
    _mm256_maskstore_pd(to, first(count), reinterpret_cast<__m256d>(v));
  }

  static inline __attribute__((always_inline)) unsigned not_below(const double* from, double cutoff) {
    return static_cast<unsigned>(
        _mm256_movemask_pd(_mm256_cmp_pd(_mm256_loadu_pd(from), _mm256_set1_pd(cutoff), _CMP_NLT_UQ)));
  }

  // The Newton step's subtraction and the product before it one fused multiply-add.
  static inline __attribute__((always_inline)) Doubles refined_root(Doubles r) {
    const auto p = reinterpret_cast<__m256d>(r);
    const __m256d y = _mm256_cvtps_pd(_mm_rsqrt_ps(_mm256_cvtpd_ps(p)));
    const __m256d step =
        _mm256_fnmadd_pd(_mm256_mul_pd(_mm256_set1_pd(0.5), p), _mm256_mul_pd(y, y), _mm256_set1_pd(1.5));
    return reinterpret_cast<Doubles>(_mm256_mul_pd(y, step));
  }
};

// One vector's value at a time, so that fourteen registers suffice (twelve sums, t, the value).
inline __attribute__((always_inline)) void add(const float* at, __m256 t, __m256& q, __m256& qq, __m256& qt) {
  const __m256 value = _mm256_loadu_ps(at);
  q = _mm256_add_ps(q, value);
  qq = _mm256_fmadd_ps(value, value, qq);
  qt = _mm256_fmadd_ps(value, t, qt);
}

// The 32 lanes in four vectors per sum (twelve registers of sixteen), the columns in order, each
// product fused with its sum.
void tile_sums(const float* tile, const std::int32_t* columns, std::size_t count, const float* member, TileSums& sums,
               bool carry_on) {
  static_assert(kW == 32, "four vectors of eight lanes");
  TileSums& to = generic::aligned<Isa>(sums);
  float* sum_q = to.q[0];
  float* sum_qq = to.qq[0];
  float* sum_qt = to.qt[0];
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
  for (std::size_t j = 0; j < count; ++j) {
    const float* at = tile + static_cast<std::size_t>(columns[j]) * kW;
    const __m256 t = _mm256_broadcast_ss(member + j);
    add(at, t, q0, qq0, qt0);
    add(at + 8, t, q1, qq1, qt1);
    add(at + 16, t, q2, qq2, qt2);
    add(at + 24, t, q3, qq3, qt3);
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

// Blocks of eight lanes by eight columns: each lane's row read eight values at a time, then the
// block transposed so that each column's eight lanes are stored together.
void tile_columns(const float* const* rows, std::size_t samples, float* out) {
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
    generic::columns_one_by_one<Isa>(rows, lane, lane + 8, c, samples, out);
  }
}

// In 32-byte blocks where the row holds one, else in 16-byte ones.
void move_down(unsigned char* at, std::size_t step, std::size_t bytes) {
  if (bytes >= 32) return generic::move_down_blocks<Isa, Bytes32>(at, step, bytes);
  generic::move_down_blocks<Isa, Bytes16>(at, step, bytes);
}
void move_up(unsigned char* at, std::size_t step, std::size_t bytes) {
  if (bytes >= 32) return generic::move_up_blocks<Isa, Bytes32>(at, step, bytes);
  generic::move_up_blocks<Isa, Bytes16>(at, step, bytes);
}

}  // namespace

constinit const CopyKernels copies{tile_columns, move_down, move_up};
constinit const ScreenKernels screen = generic::screen_kernels<Isa>(tile_sums);
constinit const EliminationKernels elimination = generic::elimination_kernels<Isa>(generic::estimate_narrow<Isa>);

}  // namespace kova::kernels::avx2
