#pragma once
// The literal r of several candidates of one elimination step at once (exact_candidates.hpp), for
// every instruction set: each lane leaves out its own column and adds up the others in ascending
// order, as the literal search does, so that one pass over the columns serves several candidates
// with the bits of one candidate at a time.
//
// `Isa`, an instruction set's traits, gives Doubles, its vector.

#include <cmath>
#include <cstring>

#include "engine/kernels/generic/vectors.hpp"
#include "engine/model/correlation.hpp"

namespace kova::kernels::generic {

// PairSums per lane.
template <class Isa>
struct LaneSums {
  using V = typename Isa::Doubles;
  V sx, sy, sxx, syy, sxy;
};

// The lanes in two groups of vectors, so that their chains hide one another's latency. The literal
// chains share their start up to the pass's first position: that part is added up once (`prefix`,
// carried from pass to pass); from there every lane adds each column but its own.
template <class Isa>
void exact(const double* x, const double* y, std::size_t m, const std::size_t* positions, std::size_t count,
           std::int32_t divisor, double* r) {
  using V = typename Isa::Doubles;
  constexpr std::size_t kLanes = kLanesOf<V>;
  constexpr std::size_t kGroups = 2;
  constexpr std::size_t kPass = kLanes * kGroups;
  PairSums prefix{};  // braces: aggregate initialization, so that no constructor is emitted here
  std::size_t prefix_end = 0;
  for (std::size_t first = 0; first < count; first += kPass) {
    const std::size_t in_pass = count - first < kPass ? count - first : kPass;
    const std::size_t start = positions[first];
    for (; prefix_end < start; ++prefix_end) prefix.add(x[prefix_end], y[prefix_end]);
    double at[kPass];  // each lane's position, as a double (compared in double, which every width has)
    for (std::size_t lane = 0; lane < kPass; ++lane) {
      at[lane] = static_cast<double>(positions[first + (lane < in_pass ? lane : 0)]);
    }
    V skip[kGroups];
    std::memcpy(skip, at, sizeof skip);
    LaneSums<Isa> s[kGroups];
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
    for (std::size_t lane = 0; lane < in_pass; ++lane) {
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
      for (std::size_t i = 0; i < kLanes && g * kLanes + i < in_pass; ++i) r[first + g * kLanes + i] = quotient[i];
    }
  }
}

}  // namespace kova::kernels::generic
