#include "engine/kernels/exact_candidates.hpp"

#include "engine/kernels/kernel_set.hpp"

namespace kova {

void exact_candidates(std::span<const double> x, std::span<const double> y, std::span<const std::size_t> positions,
                      std::int32_t divisor, double* r, int width) {
  kernels_at(width).elimination->exact(x.data(), y.data(), x.size(), positions.data(), positions.size(), divisor, r);
}

}  // namespace kova
