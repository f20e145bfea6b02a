// The kernels in 512-bit vectors. Built with AVX-512F (sources.txt): the dispatcher hands them out
// only where the processor has it.

#include <immintrin.h>

#include <cstring>

#include "engine/kernels/generic/estimates.hpp"
#include "engine/kernels/generic/screen.hpp"
#include "engine/kernels/isa/instruction_sets.hpp"

namespace kova::kernels::avx512 {
namespace {

struct Isa : Vectors64 {
  static constexpr ScreenSumOrder kOrder{2, true};

  static inline __attribute__((always_inline)) std::uint32_t bits(MaskOf<Floats> mask) {
    const auto lanes = reinterpret_cast<__m512i>(mask);
    return _mm512_test_epi32_mask(lanes, lanes);
  }
  static inline __attribute__((always_inline)) std::uint32_t bits(MaskOf<Doubles> mask) {
    const auto lanes = reinterpret_cast<__m512i>(mask);
    return _mm512_test_epi64_mask(lanes, lanes);
  }

  static inline __attribute__((always_inline)) Doubles first_lanes(const double* from, std::size_t count) {
    const auto lanes = static_cast<__mmask8>((1U << count) - 1);
    return reinterpret_cast<Doubles>(_mm512_mask_loadu_pd(_mm512_set1_pd(generic::kNaN), lanes, from));
  }
  static inline __attribute__((always_inline)) void store_first_lanes(double* to, std::size_t count, Doubles v) {
    _mm512_mask_storeu_pd(to, static_cast<__mmask8>((1U << count) - 1), reinterpret_cast<__m512d>(v));
  }

  static inline __attribute__((always_inline)) unsigned not_below(const double* from, double cutoff) {
    return _mm512_cmp_pd_mask(_mm512_loadu_pd(from), _mm512_set1_pd(cutoff), _CMP_NLT_UQ);
  }
};

// The double-precision reciprocal square root instruction, a Newton step (its subtraction and the
// product before it one fused multiply-add) and one product: no division, no square root. (The
// zero-masked form: the plain one starts from an undefined vector, which GCC 12 warns about.)
struct ApproxRoot {
  inline __attribute__((always_inline)) Doubles8 operator()(Doubles8 num, Doubles8 product) const {
    const auto p = reinterpret_cast<__m512d>(product);
    const __m512d y = _mm512_maskz_rsqrt14_pd(0xFF, p);
    const __m512d step =
        _mm512_fnmadd_pd(_mm512_mul_pd(_mm512_set1_pd(0.5), p), _mm512_mul_pd(y, y), _mm512_set1_pd(1.5));
    return reinterpret_cast<Doubles8>(_mm512_mul_pd(reinterpret_cast<__m512d>(num), _mm512_mul_pd(y, step)));
  }
  static constexpr bool fits(const EstimateSummary&) { return true; }
};

EstimateSummary estimate(const StepColumns& rows, double cut_a, double cut_b, double* approx) {
  EstimateSummary summary;
  generic::estimate_all<Isa>(rows, cut_a, cut_b, approx, ApproxRoot{}, summary);
  return summary;
}

// The even and the odd columns in sums of their own, so that each sum waits for its previous value
// only every other column; the two are added at the end (the bound holds for any order). Each
// product fused with its sum (one rounding instead of two, which the bound allows for).
void tile_sums(const float* tile, const std::int32_t* columns, std::size_t count, const float* member, TileSums& sums,
               bool carry_on) {
  constexpr std::size_t kVectors = kTileLanes / 16;
  TileSums& to = generic::aligned<Isa>(sums);
  Floats16 q[2][kVectors] = {}, qq[2][kVectors] = {}, qt[2][kVectors] = {};
  if (carry_on) {
    std::memcpy(q, to.q, sizeof q);
    std::memcpy(qq, to.qq, sizeof qq);
    std::memcpy(qt, to.qt, sizeof qt);
  }
  const auto fused = [](Floats16 a, Floats16 b, Floats16 c) __attribute__((always_inline)) {
    return reinterpret_cast<Floats16>(
        _mm512_fmadd_ps(reinterpret_cast<__m512>(a), reinterpret_cast<__m512>(b), reinterpret_cast<__m512>(c)));
  };
  const auto add_column = [&](std::size_t chain, std::size_t j) __attribute__((always_inline)) {
    const float* at = tile + static_cast<std::size_t>(columns[j]) * kTileLanes;
    const Floats16 t = Floats16{} + member[j];
    for (std::size_t v = 0; v < kVectors; ++v) {
      Floats16 value;
      std::memcpy(&value, at + 16 * v, sizeof value);
      q[chain][v] += value;
      qq[chain][v] = fused(value, value, qq[chain][v]);
      qt[chain][v] = fused(value, t, qt[chain][v]);
    }
  };
  std::size_t j = 0;
  for (; j + 2 <= count; j += 2) {
    add_column(0, j);
    add_column(1, j + 1);
  }
  if (j < count) add_column(0, j);
  std::memcpy(to.q, q, sizeof q);
  std::memcpy(to.qq, qq, sizeof qq);
  std::memcpy(to.qt, qt, sizeof qt);
}

}  // namespace

constinit const ScreenKernels screen = generic::screen_kernels<Isa>(tile_sums);
constinit const EliminationKernels elimination = generic::elimination_kernels<Isa>(estimate);

}  // namespace kova::kernels::avx512
