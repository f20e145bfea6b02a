#pragma once
// Which vector instructions this processor offers the engine's hot loops. Each loop is compiled
// once per width and picks the widest at run time. Where a result must not depend on the width,
// each lane performs the same IEEE operations in the same order, so every width gives the same
// bits; where a width computes differently (fused multiply-adds, approximations, half precision),
// the bounds that use the result allow for it.

// GCC lets a template built for the baseline instructions call a function built for 512 bits
// once both are inlined into a 512-bit variant; clang refuses. The fused multiply-adds and the
// approximate root of the 512-bit kernels are such functions; without them those kernels compute
// as the others do.
#if defined(__GNUC__) && !defined(__clang__) && (defined(__x86_64__) || defined(__i386__))
#define KOVA_WIDE_FUNCTORS 1
#endif

// The half-precision kernels need GCC 12 or later on x86 (their intrinsics and types).
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ >= 12 && (defined(__x86_64__) || defined(__i386__))
#define KOVA_HALF_PRECISION 1
#endif

namespace kova {

// 512 where the processor has AVX-512F, 256 where it has AVX, else 0 (the baseline instructions).
int widest_vectors();

// Whether the processor has half-precision arithmetic on 512-bit vectors (AVX512-FP16) and this
// build the kernels for it.
bool has_half_precision();

}  // namespace kova
