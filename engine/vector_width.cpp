#include "engine/vector_width.hpp"

#include <atomic>

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
  return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512fp16");
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
