// The screen in half precision on 512-bit vectors. Built with AVX-512F, BW and VL (sources.txt);
// its half-precision arithmetic is written as the instructions themselves, which needs an assembler
// that knows them (binutils 2.38 or later, clang's own), not a compiler with a half-precision type
// (clang 14 has none on x86). The dispatcher hands it out only where the processor has AVX512-FP16.

#include <immintrin.h>

#include "engine/kernels/generic/screen.hpp"
#include "engine/kernels/isa/instruction_sets.hpp"

namespace kova::kernels::avx512_fp16 {
namespace {

struct Isa : Vectors64 {
  static inline __attribute__((always_inline)) std::uint32_t bits(MaskOf<Floats> mask) {
    const auto lanes = reinterpret_cast<__m512i>(mask);
    return _mm512_test_epi32_mask(lanes, lanes);
  }
};

// Sixteen at a time, the last few under a mask.
void to_half(const float* values, std::size_t count, std::uint16_t* out) {
  for (std::size_t k = 0; k < count; k += 16) {
    const auto lanes = static_cast<__mmask16>(count - k >= 16 ? 0xFFFF : (1u << (count - k)) - 1);
    const __m256i half =
        _mm512_maskz_cvtps_ph(0xFFFF, _mm512_maskz_loadu_ps(lanes, values + k), _MM_FROUND_TO_NEAREST_INT);
    _mm256_mask_storeu_epi16(out + k, lanes, half);
  }
}

// Vectors of 32 halves, held as bits.
inline __attribute__((always_inline)) void add_halves(__m512i& sum, __m512i value) {
  asm("vaddph %1, %0, %0" : "+v"(sum) : "v"(value));
}
inline __attribute__((always_inline)) void fused_halves(__m512i& sum, __m512i a, __m512i b) {
  asm("vfmadd231ph %2, %1, %0" : "+v"(sum) : "v"(a), "v"(b));  // sum + a * b, rounded once
}

// 32 lanes in one vector, the even and the odd columns in sums of their own, each product fused
// with its sum; then the sums widened to single precision, sixteen lanes at a time, for the
// decision with each lane's own e_a.
std::uint32_t screen(const std::uint16_t* tile, const std::int32_t* columns, std::size_t count,
                     const std::uint16_t* member, const HalfDecision& decision) {
  static_assert(kTileLanes == 32, "one vector of 32 half-precision lanes");
  const auto add_column = [&](__m512i & q, __m512i & qq, __m512i & qt, std::size_t j) __attribute__((always_inline)) {
    const __m512i value = _mm512_loadu_si512(tile + static_cast<std::size_t>(columns[j]) * kTileLanes);
    const __m512i t = _mm512_set1_epi16(static_cast<short>(member[j]));
    add_halves(q, value);
    fused_halves(qq, value, value);
    fused_halves(qt, value, t);
  };
  __m512i q0 = _mm512_setzero_si512(), qq0 = q0, qt0 = q0, q1 = q0, qq1 = q0, qt1 = q0;
  std::size_t j = 0;
  for (; j + 2 <= count; j += 2) {
    add_column(q0, qq0, qt0, j);
    add_column(q1, qq1, qt1, j + 1);
  }
  if (j < count) add_column(q0, qq0, qt0, j);
  add_halves(q0, q1);
  add_halves(qq0, qq1);
  add_halves(qt0, qt1);
  // Widened sixteen lanes at a time (the zero-masked forms: the plain ones start from an undefined
  // vector, which GCC 12 warns about). Each widened vector passes through an empty statement that
  // hides where it came from: clang would otherwise fold the decision's comparisons back onto the
  // halves and, without half-precision instructions of its own, take them one lane at a time.
  float sums[3][kTileLanes];
  const __m512i all[3] = {q0, qq0, qt0};
  for (std::size_t s = 0; s < 3; ++s) {
    for (int part = 0; part < 2; ++part) {
      const __m256i sixteen =
          part == 0 ? _mm512_maskz_extracti64x4_epi64(0xF, all[s], 0) : _mm512_maskz_extracti64x4_epi64(0xF, all[s], 1);
      __m512 widened = _mm512_maskz_cvtph_ps(0xFFFF, sixteen);
      asm("" : "+v"(widened));
      _mm512_storeu_ps(sums[s] + 16 * part, widened);
    }
  }
  return generic::single_bits<Isa>({sums[0], sums[1], sums[2]}, decision);
}

}  // namespace

constinit const HalfKernels half{to_half, screen};

}  // namespace kova::kernels::avx512_fp16
