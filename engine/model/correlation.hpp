#pragma once
// The engine's one correlation formula, over five running sums and an integer divisor.

#include <cmath>
#include <cstdint>

namespace kova {

struct PairSums {
  double sx = 0.0, sy = 0.0, sxx = 0.0, syy = 0.0, sxy = 0.0;

  // Always inlined, as everything the vector kernels take from other rooms (kernels/kernel_set.hpp).
  inline __attribute__((always_inline)) void add(double x, double y) {
    sx += x;
    sy += y;
    sxx += x * x;
    syy += y * y;
    sxy += x * y;
  }
};

// The three parts of the formula below: num = Sxy - Sx*Sy/n, a = Sxx - Sx*Sx/n, b = Syy - Sy*Sy/n.
struct CorrelationParts {
  double num, a, b;
};
inline CorrelationParts correlation_parts(const PairSums& s, std::int32_t n) {
  const double dn = static_cast<double>(n);
  return {s.sxy - (s.sx * s.sy) / dn, s.sxx - (s.sx * s.sx) / dn, s.syy - (s.sy * s.sy) / dn};
}

// r = (Sxy - Sx*Sy/n) / sqrt((Sxx - Sx*Sx/n) * (Syy - Sy*Sy/n)), each operation rounded to double
// in exactly this order. Nothing is guarded: a zero denominator gives an infinity or NaN.
inline double correlation(const PairSums& s, std::int32_t n) {
  const CorrelationParts p = correlation_parts(s, n);
  return p.num / std::sqrt(p.a * p.b);
}

}  // namespace kova
