#pragma once
// Which vector instructions the engine's hot loops use. Each loop is compiled once per width and
// runs the widest the processor has, unless a test or the benchmark chose another. Where a result
// must not depend on the width, each lane performs the same IEEE operations in the same order, so
// every width gives the same bits; where a width computes differently (fused multiply-adds,
// approximations, half precision), the bounds that use the result allow for it.

#include <vector>

// GCC lets a template built for the baseline instructions call a function built for 512 bits
// once both are inlined into a 512-bit variant; clang refuses. The screen's 512-bit fused
// multiply-adds and its 256-bit widening and flags are such functions; without them those kernels
// compute as the others do. (The estimate pass hands its vectors to such functions through memory,
// which both compilers accept.)
#if defined(__GNUC__) && !defined(__clang__) && (defined(__x86_64__) || defined(__i386__))
#define KOVA_WIDE_FUNCTORS 1
#endif

// The 512- and 256-bit kernels exist on x86 with GCC or clang; elsewhere only the baseline, in
// 16-byte vectors (SSE2 on x86-64, Advanced SIMD on ARM64, plain lanes where there are none).
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define KOVA_X86_KERNELS 1
#endif

// The half-precision kernels exist with the x86 ones: they state their half-precision arithmetic as
// the instructions themselves, which needs an assembler that knows them (binutils 2.38 or later,
// clang's own), not a compiler with a half-precision type (clang 14 has none on x86).
#ifdef KOVA_X86_KERNELS
#define KOVA_HALF_PRECISION 1
#endif

namespace kova {

// 512 where the processor has AVX-512F, 256 where it has AVX2 and FMA, else 0 (the baseline).
int widest_vectors();

// Every width this processor can run, widest first; always ends with 0.
std::vector<int> available_widths();

// The width the kernels run at: the widest, unless use_vector_width chose another.
int vector_width();

// For tests and the benchmark: run every kernel at `width` from now on (one of
// available_widths(); a width the processor lacks is refused, returning false). Not thread-safe
// against a running search: call it between searches.
bool use_vector_width(int width);

// Whether the kernels run half-precision arithmetic on 512-bit vectors: the processor has it
// (AVX512-FP16), this build has the kernels for it, and the width in use is 512.
bool has_half_precision();

}  // namespace kova
