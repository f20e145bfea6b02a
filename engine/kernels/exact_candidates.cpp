#include "engine/kernels/exact_candidates.hpp"

#include <cmath>
#include <cstring>

#include "engine/model/correlation.hpp"
#include "engine/kernels/vector_width.hpp"

namespace kova {
namespace {

// Vectors of each width's own size, in two groups, so that the lanes' chains hide one another's
// latency: eight lanes a pass with 256 bits, four in the baseline, sixteen with 512 bits.
using Doubles8 = double __attribute__((vector_size(64)));
using Doubles4 = double __attribute__((vector_size(32)));
using Doubles2 = double __attribute__((vector_size(16)));
constexpr std::size_t kGroups = 2;

// PairSums per lane.
template <class V>
struct Sums {
  V sx, sy, sxx, syy, sxy;
};

// The literal chains share their start up to the pass's first position: that part is added up
// once (`prefix`, carried from pass to pass); from there every lane adds each column but its own.
template <class V>
inline __attribute__((always_inline)) void exact_all(std::span<const double> x, std::span<const double> y,
                                                     std::span<const std::size_t> positions, std::int32_t divisor,
                                                     double* r) {
  constexpr std::size_t kLanes = sizeof(V) / sizeof(double);
  constexpr std::size_t kPass = kLanes * kGroups;
  const std::size_t m = x.size();
  PairSums prefix;
  std::size_t prefix_end = 0;
  for (std::size_t first = 0; first < positions.size(); first += kPass) {
    const std::size_t count = positions.size() - first < kPass ? positions.size() - first : kPass;
    const std::size_t start = positions[first];
    for (; prefix_end < start; ++prefix_end) prefix.add(x[prefix_end], y[prefix_end]);
    double at[kPass];  // each lane's position, as a double (compared in double, which every width has)
    for (std::size_t lane = 0; lane < kPass; ++lane)
      at[lane] = static_cast<double>(positions[first + (lane < count ? lane : 0)]);
    V skip[kGroups];
    std::memcpy(skip, at, sizeof skip);
    Sums<V> s[kGroups];
    for (std::size_t g = 0; g < kGroups; ++g) {
      s[g] = {V{} + prefix.sx, V{} + prefix.sy, V{} + prefix.sxx, V{} + prefix.syy, V{} + prefix.sxy};
    }
    // Every lane adds every column but its own: plain additions up to the next position of the
    // pass, and only at a position the lanes compare.
    const auto add_all = [&](std::size_t c) __attribute__((always_inline)) {
      const double xc = x[c], yc = y[c], xx = xc * xc, yy = yc * yc, xy = xc * yc;
      for (std::size_t g = 0; g < kGroups; ++g) {
        s[g].sx += xc;
        s[g].sy += yc;
        s[g].sxx += xx;
        s[g].syy += yy;
        s[g].sxy += xy;
      }
    };
    std::size_t c = start;
    for (std::size_t lane = 0; lane < count; ++lane) {
      const std::size_t position = positions[first + lane];
      for (; c < position; ++c) add_all(c);
      const double xc = x[c], yc = y[c], xx = xc * xc, yy = yc * yc, xy = xc * yc;
      for (std::size_t g = 0; g < kGroups; ++g) {
        const auto keep = skip[g] != static_cast<double>(c);
        s[g].sx = keep ? s[g].sx + xc : s[g].sx;
        s[g].sy = keep ? s[g].sy + yc : s[g].sy;
        s[g].sxx = keep ? s[g].sxx + xx : s[g].sxx;
        s[g].syy = keep ? s[g].syy + yy : s[g].syy;
        s[g].sxy = keep ? s[g].sxy + xy : s[g].sxy;
      }
      ++c;
    }
    for (; c < m; ++c) add_all(c);
    // correlation(), lane by lane: the same operations in the same order.
    const double dn = static_cast<double>(divisor);
    for (std::size_t g = 0; g < kGroups; ++g) {
      const V num = s[g].sxy - (s[g].sx * s[g].sy) / dn;
      const V a = s[g].sxx - (s[g].sx * s[g].sx) / dn;
      const V b = s[g].syy - (s[g].sy * s[g].sy) / dn;
      V root = a * b;
      for (std::size_t i = 0; i < kLanes; ++i) root[i] = std::sqrt(root[i]);
      const V quotient = num / root;
      for (std::size_t i = 0; i < kLanes && g * kLanes + i < count; ++i) r[first + g * kLanes + i] = quotient[i];
    }
  }
}

void exact_base(std::span<const double> x, std::span<const double> y, std::span<const std::size_t> positions,
                std::int32_t divisor, double* r) {
  exact_all<Doubles2>(x, y, positions, divisor, r);
}

#ifdef KOVA_X86_KERNELS
__attribute__((target("avx2,fma"))) void exact_256(std::span<const double> x, std::span<const double> y,
                                                   std::span<const std::size_t> positions, std::int32_t divisor,
                                                   double* r) {
  exact_all<Doubles4>(x, y, positions, divisor, r);
}
__attribute__((target("avx512f"))) void exact_512(std::span<const double> x, std::span<const double> y,
                                                  std::span<const std::size_t> positions, std::int32_t divisor,
                                                  double* r) {
  exact_all<Doubles8>(x, y, positions, divisor, r);
}
#endif

}  // namespace

void exact_candidates(std::span<const double> x, std::span<const double> y, std::span<const std::size_t> positions,
                      std::int32_t divisor, double* r, int width) {
#ifdef KOVA_X86_KERNELS
  if (width >= 512 && widest_vectors() >= 512) return exact_512(x, y, positions, divisor, r);
  if (width >= 256 && widest_vectors() >= 256) return exact_256(x, y, positions, divisor, r);
#endif
  (void)width;
  exact_base(x, y, positions, divisor, r);
}

}  // namespace kova
