#include "engine/vector_width.hpp"

namespace kova {
namespace {

int detect() {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
  if (__builtin_cpu_supports("avx512f")) return 512;
  if (__builtin_cpu_supports("avx")) return 256;
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

}  // namespace

bool has_half_precision() {
  static const bool half = detect_half();
  return half;
}

int widest_vectors() {
  static const int widest = detect();
  return widest;
}

}  // namespace kova
