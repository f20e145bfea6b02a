#include "engine/kernels/vector_width.hpp"

#include <atomic>

#ifdef KOVA_HALF_PRECISION
#include <cpuid.h>
#endif

namespace kova {
namespace {

int detect() {
#ifdef KOVA_X86_KERNELS
  if (__builtin_cpu_supports("avx512f")) return 512;
  // The 256-bit kernels fuse products with their sums.
  if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) return 256;
#endif
  return 0;
}

bool detect_half() {
#ifdef KOVA_HALF_PRECISION
  // AVX512-FP16 is bit 23 of EDX in leaf 7; asked of the processor itself, as not every compiler's
  // __builtin_cpu_supports knows it. It uses the registers whose saving the AVX-512F test checks.
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  return __builtin_cpu_supports("avx512f") && __get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) != 0 &&
         (edx & (1u << 23)) != 0;
#else
  return false;
#endif
}

// The width in use, or -1 until first asked for. A plain global rather than a function's static:
// the kernels' dispatch asks for it millions of times a run, and a static's guard costs each call a
// stack frame (MinGW-w64's GCC builds one around the guard's check).
constinit std::atomic<int> chosen_width{-1};

__attribute__((noinline)) int first_width() {
  int unset = -1;
  chosen_width.compare_exchange_strong(unset, widest_vectors(), std::memory_order_relaxed);
  return chosen_width.load(std::memory_order_relaxed);
}

}  // namespace

int widest_vectors() {
  static const int widest = detect();
  return widest;
}

std::vector<int> available_widths() {
  std::vector<int> widths;
  for (const int width : {512, 256}) {
    if (widest_vectors() >= width) widths.push_back(width);
  }
  widths.push_back(0);
  return widths;
}

int vector_width() {
  const int width = chosen_width.load(std::memory_order_relaxed);
  return width >= 0 ? width : first_width();
}

bool use_vector_width(int width) {
  for (const int available : available_widths()) {
    if (available == width) {
      chosen_width.store(width, std::memory_order_relaxed);
      return true;
    }
  }
  return false;
}

bool has_half_precision() {
  static const bool half = detect_half();
  return half && vector_width() >= 512;
}

}  // namespace kova
