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

}  // namespace

int widest_vectors() {
  static const int widest = detect();
  return widest;
}

}  // namespace kova
