// The baseline kernels, which every processor runs: 16-byte vectors, which every x86-64 (SSE2) and
// ARM64 (Advanced SIMD) processor holds in a register; elsewhere the compiler takes them lane by
// lane.

#include <cstring>

#include "engine/kernels/generic/copies.hpp"
#include "engine/kernels/generic/estimates.hpp"
#include "engine/kernels/generic/screen.hpp"
#include "engine/kernels/isa/instruction_sets.hpp"

#ifdef KOVA_X86_KERNELS
#include <emmintrin.h>
#endif

namespace kova::kernels::baseline {
namespace {

using generic::kW;

struct Isa : Vectors16 {
  static constexpr ScreenSumOrder kOrder{1, false};

  template <class Mask>
  static inline __attribute__((always_inline)) std::uint32_t bits(Mask mask) {
#ifdef KOVA_X86_KERNELS
    if constexpr (sizeof(mask[0]) == sizeof(double)) {
      return static_cast<std::uint32_t>(_mm_movemask_pd(reinterpret_cast<__m128d>(mask)));
    } else {
      return static_cast<std::uint32_t>(_mm_movemask_ps(reinterpret_cast<__m128>(mask)));
    }
#else
    std::uint32_t lanes = 0;
    for (std::size_t i = 0; i < kLanesOf<Mask>; ++i) lanes |= (mask[i] != 0 ? 1u : 0u) << i;
    return lanes;
#endif
  }

  // The only partial block of two holds one candidate.
  static inline __attribute__((always_inline)) Doubles first_lanes(const double* from, std::size_t) {
    Doubles v = Doubles{} + generic::kNaN;
    v[0] = from[0];
    return v;
  }
  static inline __attribute__((always_inline)) void store_first_lanes(double* to, std::size_t, Doubles v) {
    to[0] = v[0];
  }

  static inline __attribute__((always_inline)) unsigned not_below(const double* from, double cutoff) {
#ifdef KOVA_X86_KERNELS
    return static_cast<unsigned>(_mm_movemask_pd(_mm_cmpnlt_pd(_mm_loadu_pd(from), _mm_set1_pd(cutoff))));
#else
    return (from[0] < cutoff ? 0u : 1u) | (from[1] < cutoff ? 0u : 2u);
#endif
  }

#ifdef KOVA_X86_KERNELS
  // The two upper lanes of the single-precision vector are 0, their roots infinite and unused.
  static inline __attribute__((always_inline)) Doubles refined_root(Doubles r) {
    const auto y = reinterpret_cast<Doubles>(_mm_cvtps_pd(_mm_rsqrt_ps(_mm_cvtpd_ps(reinterpret_cast<__m128d>(r)))));
    return y * (1.5 - (0.5 * r) * (y * y));
  }
#endif
};

// Sixteen lanes at a time (twelve vectors of sums, which the sixteen registers of SSE2 or the
// thirty-two of Advanced SIMD hold), the columns in order, products rounded apart.
void tile_sums(const float* tile, const std::int32_t* columns, std::size_t count, const float* member, TileSums& sums,
               bool carry_on) {
  constexpr std::size_t kVectors = 4;
  TileSums& to = generic::aligned<Isa>(sums);
  for (std::size_t lane = 0; lane < kW; lane += 4 * kVectors) {
    Floats4 q[kVectors] = {}, qq[kVectors] = {}, qt[kVectors] = {};
    if (carry_on) {
      std::memcpy(q, to.q[0] + lane, sizeof q);
      std::memcpy(qq, to.qq[0] + lane, sizeof qq);
      std::memcpy(qt, to.qt[0] + lane, sizeof qt);
    }
    for (std::size_t j = 0; j < count; ++j) {
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
    std::memcpy(to.q[0] + lane, q, sizeof q);
    std::memcpy(to.qq[0] + lane, qq, sizeof qq);
    std::memcpy(to.qt[0] + lane, qt, sizeof qt);
  }
}

// x86 approximates the roots (generic/estimates.hpp); elsewhere the estimate itself.
EstimateSummary estimate(const StepColumns& rows, double cut_a, double cut_b, double* approx) {
#ifdef KOVA_X86_KERNELS
  return generic::estimate_narrow<Isa>(rows, cut_a, cut_b, approx);
#else
  EstimateSummary summary;
  generic::estimate_all<Isa>(rows, cut_a, cut_b, approx, generic::ExactRoot<Isa>{}, summary);
  return summary;
#endif
}

void tile_columns(const float* const* rows, std::size_t samples, float* out) {
  generic::columns_one_by_one<Isa>(rows, 0, kW, 0, samples, out);
}

void move_down(unsigned char* at, std::size_t step, std::size_t bytes) {
  generic::move_down_blocks<Isa, Bytes16>(at, step, bytes);
}
void move_up(unsigned char* at, std::size_t step, std::size_t bytes) {
  generic::move_up_blocks<Isa, Bytes16>(at, step, bytes);
}

}  // namespace

constinit const CopyKernels copies{tile_columns, move_down, move_up};
constinit const ScreenKernels screen = generic::screen_kernels<Isa>(tile_sums);
constinit const EliminationKernels elimination = generic::elimination_kernels<Isa>(estimate);

}  // namespace kova::kernels::baseline
