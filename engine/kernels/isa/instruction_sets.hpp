#pragma once
// What each instruction set's file here gives the dispatcher (vector_width.cpp): its kernels, built
// for its instructions alone (sources.txt), and so run only where the processor has them.

#include "engine/kernels/kernel_set.hpp"

namespace kova::kernels {

// baseline.cpp: every processor.
namespace baseline {
extern const CopyKernels copies;
extern const ScreenKernels screen;
extern const EliminationKernels elimination;
}  // namespace baseline

#ifdef KOVA_X86_KERNELS
// avx2.cpp: AVX2 and FMA, 256-bit vectors.
namespace avx2 {
extern const CopyKernels copies;
extern const ScreenKernels screen;
extern const EliminationKernels elimination;
}  // namespace avx2

// avx512.cpp: AVX-512F, 512-bit vectors; its copies are the 256-bit ones.
namespace avx512 {
extern const ScreenKernels screen;
extern const EliminationKernels elimination;
}  // namespace avx512

// avx512_fp16.cpp: AVX-512F, BW, VL and FP16, the screen in half precision; the rest is avx512's.
namespace avx512_fp16 {
extern const HalfKernels half;
}  // namespace avx512_fp16
#endif

}  // namespace kova::kernels
