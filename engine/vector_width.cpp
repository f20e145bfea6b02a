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

std::atomic<int>& chosen() {
  static std::atomic<int> width{widest_vectors()};
  return width;
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

int vector_width() { return chosen().load(std::memory_order_relaxed); }

bool use_vector_width(int width) {
  for (const int available : available_widths()) {
    if (available == width) {
      chosen().store(width, std::memory_order_relaxed);
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
