#pragma once
// Which vector instructions the engine's hot loops use. Each kernel is built once per instruction
// set (kernel_set.hpp), and the engine runs the widest the processor has, unless a test or the
// benchmark chose another. Where a result must not depend on the width, each lane performs the
// same IEEE operations in the same order, so every width gives the same bits; where a width
// computes differently (fused multiply-adds, approximations, half precision), the bounds that use
// the result allow for it.

#include <vector>

namespace kova {

// 512 where the processor has AVX-512F (and AVX2 and FMA), 256 where it has AVX2 and FMA, else 0
// (the baseline).
int widest_vectors();

// Every width this processor can run, widest first; always ends with 0.
std::vector<int> available_widths();

// The width the kernels run at: the widest, unless use_vector_width chose another.
int vector_width();

// For tests and the benchmark: run every kernel at `width` from now on (one of
// available_widths(); a width the processor lacks is refused, returning false). Not thread-safe
// against a running search: call it between searches.
bool use_vector_width(int width);

// Whether the kernels screen in half precision: the width in use is 512 and the processor has
// AVX512-FP16.
bool has_half_precision();

}  // namespace kova
