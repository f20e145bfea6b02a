#pragma once
// The engine's one correlation formula, over five running sums and an integer divisor.

#include <cmath>
#include <cstdint>

namespace kova {

struct PairSums {
  double sx = 0.0, sy = 0.0, sxx = 0.0, syy = 0.0, sxy = 0.0;

  void add(double x, double y) {
    sx += x;
    sy += y;
    sxx += x * x;
    syy += y * y;
    sxy += x * y;
  }
};

// r = (Sxy - Sx*Sy/n) / sqrt((Sxx - Sx*Sx/n) * (Syy - Sy*Sy/n)), each operation rounded to double
// in exactly this order. Nothing is guarded: a zero denominator gives an infinity or NaN.
inline double correlation(const PairSums& s, std::int32_t n) {
  const double dn = static_cast<double>(n);
  const double num = s.sxy - (s.sx * s.sy) / dn;
  const double a = s.sxx - (s.sx * s.sx) / dn;
  const double b = s.syy - (s.sy * s.sy) / dn;
  return num / std::sqrt(a * b);
}

}  // namespace kova
