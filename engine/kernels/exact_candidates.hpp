#pragma once
// The literal r of several candidates of one elimination step at once: each leaves out one
// present column, the others are added up in ascending order, as the literal search does. The
// candidates run side by side in vector lanes, each lane skipping its own column, so that one
// pass over the columns serves several of them, with the bits of one candidate at a time.

#include <cstddef>
#include <cstdint>
#include <span>

namespace kova {

// r[i] = the literal r over the present columns (x, y) without position positions[i], with
// divisor `divisor`. `positions` ascending. `width` picks the instructions (vector_width.hpp).
void exact_candidates(std::span<const double> x, std::span<const double> y, std::span<const std::size_t> positions,
                      std::int32_t divisor, double* r, int width);

}  // namespace kova
