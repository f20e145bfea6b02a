#include "engine/kernels/half_values.hpp"

#include "engine/kernels/kernel_set.hpp"

namespace kova {

void to_half(std::span<const float> values, std::uint16_t* out) {
  kernels_in_use().half->to_half(values.data(), values.size(), out);
}

}  // namespace kova
