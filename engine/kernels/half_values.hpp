#pragma once
// Single-precision values rounded to half precision (to nearest, ties to even), as the bits the
// half-precision screen reads. Only where has_half_precision() (vector_width.hpp) holds.

#include <cstdint>
#include <span>

namespace kova {

void to_half(std::span<const float> values, std::uint16_t* out);

}  // namespace kova
