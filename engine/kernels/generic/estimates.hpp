#pragma once
// The estimate pass of column elimination and the list of its contenders (candidate_estimates.hpp),
// for every instruction set, a vector of the set's own size at a time so that the vectors stay in
// registers. The error analysis of the approximations: docs/error-analysis.md, candidate
// estimates: the approximation.
//
// `Isa`, an instruction set's traits, gives:
//   Doubles, its vector, and Bits, as many 64-bit integers;
//   first_lanes(from, count): the first `count` (fewer than the lanes) doubles from memory, NaN in
//   the other lanes; store_first_lanes(to, count, v): the first `count` lanes of v into memory;
//   not_below(from, cutoff): one bit per lane of the vector at `from`, set where the value is not
//   below `cutoff` (NaN too);
//   refined_root(r), for the roots below that need it: 1/sqrt(r) for r in [2^-118, 2^120] from
//   the single-precision reciprocal square root instruction on r rounded to single precision,
//   widened and refined by a Newton step, y (1.5 - (0.5 r) y^2).

#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

#include "engine/bounds/elimination_bounds.hpp"
#include "engine/kernels/generic/exact.hpp"
#include "engine/kernels/generic/vectors.hpp"
#include "engine/kernels/kernel_set.hpp"

namespace kova::kernels::generic {

inline constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
inline constexpr double kInfinity = std::numeric_limits<double>::infinity();
inline constexpr double kLowestProduct = 0x1p-1000;
inline constexpr double kHighestProduct = 0x1p1000;
inline constexpr double kHighestNum = 0x1p500;

template <class Isa, class V>
inline __attribute__((always_inline)) V lesser(V a, V b) {
  return a < b ? a : b;
}
// Lane i takes lane i ^ Step.
template <class Isa, std::size_t Step, class V, std::size_t... I>
inline __attribute__((always_inline)) V swapped(V v, std::index_sequence<I...>) {
  return __builtin_shufflevector(v, v, (I ^ Step)...);
}

// The least (kLeast) or the greatest of the lanes, in every lane; the lanes hold no NaN.
template <class Isa, bool kLeast, class V>
inline __attribute__((always_inline)) V folded(V v) {
  const auto pick = [](V a, V b) __attribute__((always_inline)) {
    if constexpr (kLeast) {
      return a < b ? a : b;
    } else {
      return a > b ? a : b;
    }
  };
  constexpr auto lanes = std::make_index_sequence<kLanesOf<V>>{};
  if constexpr (kLanesOf<V> >= 8) v = pick(v, swapped<Isa, 4>(v, lanes));
  if constexpr (kLanesOf<V> >= 4) v = pick(v, swapped<Isa, 2>(v, lanes));
  return pick(v, swapped<Isa, 1>(v, lanes));
}

// |v| lane by lane, which the compiler makes one AND that clears the sign bits, where a comparison
// and a blend would take two. (It makes -0 into +0 and a NaN positive; neither changes a largest
// |num| nor passes a comparison.) Not the AND written out: the compiler would merge it into the
// blend of the running maximum, an instruction more per vector.
template <class Isa, class V>
inline __attribute__((always_inline)) V magnitude(V v) {
  for (std::size_t i = 0; i < kLanesOf<V>; ++i) v[i] = __builtin_fabs(v[i]);
  return v;
}

// Per lane: the extremes over its candidates. (Where the top lies and what comes next is left to
// the list, whose scan is cheaper than following them here.)
template <class Isa>
struct Extremes {
  using V = typename Isa::Doubles;
  V min_a = V{} + kInfinity, min_b = V{} + kInfinity, max_abs_num = V{}, top = V{} - kInfinity;
  // Comparisons with NaN keep the running value.
  inline __attribute__((always_inline)) void take(V a, V b, V abs_num, V approx) {
    min_a = a < min_a ? a : min_a;
    min_b = b < min_b ? b : min_b;
    max_abs_num = abs_num > max_abs_num ? abs_num : max_abs_num;
    top = approx > top ? approx : top;
  }
};

// A lane's worth of candidates on the lean path: the parts, the approximation, and the extremes
// over every candidate whose parts are numbers. When those extremes show every such candidate
// bounded (see estimate_all), this is the bounded test.
template <class Isa, class V, class Root>
inline __attribute__((always_inline)) V estimate_lean(const StepColumns& rows, V x, V y, Root root,
                                                      Extremes<Isa>& extremes) {
  const EstimateParts<V> parts = estimate_parts(rows.step, x, y, rows.inverse_divisor);
  const V a = parts.a, b = parts.b, num = parts.num;
  const V abs_num = magnitude<Isa>(num);
  const V product = a * b;
  const V approx = root(num, product);
  extremes.take(a, b, abs_num, approx);
  return approx;
}

// A lane's worth of candidates: estimate_without's parts in its order, the bounded test, the
// approximation and the running extremes. Every condition of the test is a difference that is
// positive exactly when it holds, and the least of them one comparison: two blends in a row would
// be merged into an AND of masks, which the compiler does not vectorise. A NaN in any part makes
// the approximation NaN (an infinite A or B makes the product infinite, which the test rejects),
// so NaN is never bounded.
template <class Isa, class V, class Root>
inline __attribute__((always_inline)) V estimate_checked(const StepColumns& rows, V x, V y, double cut_a, double cut_b,
                                                         Root root, Extremes<Isa>& extremes) {
  const EstimateParts<V> parts = estimate_parts(rows.step, x, y, rows.inverse_divisor);
  const V a = parts.a, b = parts.b, num = parts.num;
  const V product = a * b;
  const V abs_num = magnitude<Isa>(num);
  const V margin =
      lesser<Isa>(lesser<Isa>(a - cut_a, b - cut_b),
                  lesser<Isa>(product - kLowestProduct, lesser<Isa>(kHighestProduct - product, kHighestNum - abs_num)));
  const V approx = root(num, product);
  const V bounded = margin > 0.0 ? approx : V{} + kNaN;
  const V far = V{} + kInfinity;
  const V a_in = bounded == bounded ? a : far;
  const V b_in = bounded == bounded ? b : far;
  const V num_in = bounded == bounded ? abs_num : V{};
  extremes.take(a_in, b_in, num_in, bounded);
  return bounded;
}

template <class Isa, bool kChecked, class Root>
inline __attribute__((always_inline)) EstimateSummary estimate_pass(const StepColumns& rows, double cut_a, double cut_b,
                                                                    double* approx, Root root) {
  using V = typename Isa::Doubles;
  constexpr std::size_t kLanes = kLanesOf<V>;
  const std::size_t m = rows.count;
  // The step in a local: a store through `approx` could otherwise alias it, and each block would
  // load it again.
  const StepColumns local = rows;
  const auto kernel = [&](V x, V y, Extremes<Isa> & extremes) __attribute__((always_inline)) {
    if constexpr (kChecked) {
      return estimate_checked<Isa>(local, x, y, cut_a, cut_b, root, extremes);
    } else {
      return estimate_lean<Isa>(local, x, y, root, extremes);
    }
  };
  Extremes<Isa> extremes;
  std::size_t k = 0;
  for (; k + kLanes <= m; k += kLanes) {
    V xs, ys;
    std::memcpy(&xs, local.x + k, sizeof xs);
    std::memcpy(&ys, local.y + k, sizeof ys);
    const V out = kernel(xs, ys, extremes);
    std::memcpy(approx + k, &out, sizeof out);
  }
  if (k < m) {  // the last few, in lanes filled up with NaN, which is never bounded
    const V xs = Isa::first_lanes(local.x + k, m - k), ys = Isa::first_lanes(local.y + k, m - k);
    Isa::store_first_lanes(approx + k, m - k, kernel(xs, ys, extremes));
  }
  EstimateSummary summary;
  summary.min_a = folded<Isa, true>(extremes.min_a)[0];
  summary.min_b = folded<Isa, true>(extremes.min_b)[0];
  summary.max_abs_num = folded<Isa, false>(extremes.max_abs_num)[0];
  summary.top = folded<Isa, false>(extremes.top)[0];
  return summary;
}

// The lean pass first. Where its extremes lie inside every condition of the bounded test, every
// candidate whose parts are numbers is bounded, its NaN ones are not, and its min_a and min_b are
// at most those of the bounded candidates, above the cuts, as the spread needs; otherwise the
// pass is run again with the test lane by lane. Each bounded product a_k b_k lies between
// min_a min_b and fl(sxx syy) of the step's sums, rounding being monotone: with every a_k, b_k
// positive, a_k = fl(fl(sxx - fl(x_k x_k)) - q) with q >= 0 is at most sxx, and b_k at most syy.
// So the pass keeps no largest product, and a root that holds only for products in some range
// (SingleRangeRoot) can tell from the summary whether it held for every bounded one: false when
// it did not.
template <class Isa, class Root>
inline __attribute__((always_inline)) bool estimate_all(const StepColumns& rows, double cut_a, double cut_b,
                                                        double* approx, Root root, EstimateSummary& summary) {
  summary = estimate_pass<Isa, false>(rows, cut_a, cut_b, approx, root);
  const double most_product = rows.step.sxx * rows.step.syy;
  const bool all_bounded = summary.min_a > cut_a && summary.min_b > cut_b && summary.min_a > 0.0 &&
                           summary.min_b > 0.0 && summary.min_a * summary.min_b >= kLowestProduct &&
                           most_product <= kHighestProduct && summary.max_abs_num < kHighestNum;
  if (!all_bounded) summary = estimate_pass<Isa, true>(rows, cut_a, cut_b, approx, root);
  return root.fits(summary);
}

// The estimate itself, lane by lane; the compiler turns the loop into one vector square root
// (the instruction sets' files are compiled without errno for math functions), which every
// instruction set rounds correctly. It fits every product.
template <class Isa>
struct ExactRoot {
  template <class V>
  inline __attribute__((always_inline)) V operator()(V num, V product) const {
    for (std::size_t i = 0; i < kLanesOf<V>; ++i) product[i] = std::sqrt(product[i]);
    return num / product;
  }
  static constexpr bool fits(const EstimateSummary&) { return true; }
};

// The approximate root of the narrower widths of x86 where every bounded product lies in
// [2^-118, 2^120], as with all but extreme data: num (1/sqrt(P)), no scaling. The step's
// fl(sxx syy) tells before the pass whether the products stay below, the summary after it whether
// they stayed above.
template <class Isa>
struct SingleRangeRoot {
  static bool may_fit(const PairSums& step) { return step.sxx * step.syy <= 0x1p120; }
  template <class V>
  inline __attribute__((always_inline)) V operator()(V num, V product) const {
    return num * Isa::refined_root(product);
  }
  static bool fits(const EstimateSummary& summary) {
    return summary.min_a > 0.0 && summary.min_b > 0.0 && summary.min_a * summary.min_b >= 0x1p-118;
  }
};

// Any other step: each product scaled by an even power of two 2^-2j into [0.5, 2) (exact for a
// bounded one), then num (1/sqrt(P 2^-2j) 2^-j). A lane that is not bounded gives a number or NaN
// that nothing reads.
template <class Isa>
struct LaneScaledRoot {
  template <class V>
  inline __attribute__((always_inline)) V operator()(V num, V product) const {
    using Bits = typename Isa::Bits;
    const Bits half_exponent = reinterpret_cast<Bits>(product) >> 53;
    const V up = reinterpret_cast<V>((1534 - half_exponent) << 52);  // 2^-j, j = half_exponent - 511
    const V down = up * up;                                          // 2^-2j, exact: |j| <= 500 for a bounded product
    return num * (Isa::refined_root(product * down) * up);
  }
  static constexpr bool fits(const EstimateSummary&) { return true; }
};

// The narrower widths of x86: the root for products in single precision's range where it fits,
// else the one scaled lane by lane.
template <class Isa>
EstimateSummary estimate_narrow(const StepColumns& rows, double cut_a, double cut_b, double* approx) {
  EstimateSummary summary;
  if (SingleRangeRoot<Isa>::may_fit(rows.step) &&
      estimate_all<Isa>(rows, cut_a, cut_b, approx, SingleRangeRoot<Isa>{}, summary)) {
    return summary;
  }
  estimate_all<Isa>(rows, cut_a, cut_b, approx, LaneScaledRoot<Isa>{}, summary);
  return summary;
}

// EliminationKernels::contenders: the list, eight candidates to a test at every width (mostly none
// of them is listed; NaN passes), each listed one with its exact estimate; then the full test.
template <class Isa>
ContenderCount contenders(const StepColumns& rows, const double* approx, double cutoff, double spread, double removed_r,
                          std::size_t* index, double* r) {
  constexpr std::size_t kLanes = kLanesOf<typename Isa::Doubles>;
  constexpr std::size_t kGroup = 8;
  const std::size_t m = rows.count;
  std::size_t listed = 0;
  const auto list = [&](std::size_t k) __attribute__((always_inline)) {
    index[listed] = k;
    r[listed] =
        approx[k] != approx[k] ? kNaN : estimate_without(rows.step, rows.x[k], rows.y[k], rows.inverse_divisor).r;
    ++listed;
  };
  std::size_t k = 0;
  for (; k + kGroup <= m; k += kGroup) {
    unsigned lanes = 0;
    for (std::size_t block = 0; block < kGroup; block += kLanes) {
      lanes |= Isa::not_below(approx + k + block, cutoff) << block;
    }
    for (; lanes != 0; lanes &= lanes - 1) list(k + static_cast<std::size_t>(__builtin_ctz(lanes)));
  }
  for (; k < m; ++k) {
    if (!(approx[k] < cutoff)) list(k);
  }

  ContenderCount out{0, -kInfinity};
  for (std::size_t i = 0; i < listed; ++i) out.best = r[i] > out.best ? r[i] : out.best;
  for (std::size_t i = 0; i < listed; ++i) {
    if (out.best - r[i] > 2.0 * spread || removed_r - r[i] > spread) continue;
    index[out.count] = index[i];
    r[out.count] = r[i];
    ++out.count;
  }
  return out;
}

// An instruction set's EliminationKernels: its estimate pass, and the generic list and exact r.
template <class Isa>
constexpr EliminationKernels elimination_kernels(decltype(EliminationKernels::estimate) estimate) {
  return {estimate, contenders<Isa>, exact<Isa>};
}

}  // namespace kova::kernels::generic
