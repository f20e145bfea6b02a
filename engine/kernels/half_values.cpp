#include "engine/kernels/half_values.hpp"

#include <cstring>

#include "engine/kernels/vector_width.hpp"

#ifdef KOVA_HALF_PRECISION
#include <immintrin.h>
#endif

namespace kova {

#ifdef KOVA_HALF_PRECISION
// Sixteen at a time; the last few through a buffer filled up with zeros.
__attribute__((target("avx512f"))) void to_half(std::span<const float> values, std::uint16_t* out) {
  std::size_t k = 0;
  for (; k + 16 <= values.size(); k += 16) {
    const __m256i half = _mm512_maskz_cvtps_ph(0xFFFF, _mm512_loadu_ps(values.data() + k), _MM_FROUND_TO_NEAREST_INT);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k), half);
  }
  if (k < values.size()) {
    float rest[16] = {};
    std::uint16_t halves[16];
    std::memcpy(rest, values.data() + k, (values.size() - k) * sizeof(float));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(halves),
                        _mm512_maskz_cvtps_ph(0xFFFF, _mm512_loadu_ps(rest), _MM_FROUND_TO_NEAREST_INT));
    std::memcpy(out + k, halves, (values.size() - k) * sizeof(std::uint16_t));
  }
}
#else
void to_half(std::span<const float>, std::uint16_t*) {}  // never called: has_half_precision() is false
#endif

}  // namespace kova
