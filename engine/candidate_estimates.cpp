#include "engine/candidate_estimates.hpp"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <utility>

#include "engine/vector_width.hpp"

#ifdef KOVA_X86_KERNELS
#include <immintrin.h>
#endif

#include "engine/elimination_bounds.hpp"

// The approximation. With P = fl(A B) in [2^-1000, 2^1000] and |num| < 2^500 the estimate is
// e = fl(num / fl(sqrt(P))), which is num / sqrt(P) times (1 + d1)(1 + d2), |d1|, |d2| <= u.
// With 512-bit instructions the reciprocal square root instruction gives y = (1 + d) / sqrt(P)
// with |d| <= 2^-14 (its documented bound); one Newton step in double, y (1.5 - (0.5 P) y^2),
// leaves a relative error of 1.5 d^2 + |d|^3 / 2 and a few u of its own roundings, and the
// approximation is a = fl(num * that). Where the results are subnormal an absolute 2^-1074 per
// operation is added.
// The narrower widths scale P by 2^-2j, an even power of two that brings it into [0.5, 2) (exact),
// take the single-precision reciprocal square root of that rounded to single precision, so
// y = (1 + d) / sqrt(P 2^-2j) with |d| <= 1.5 * 2^-12 + 2^-25 (the instruction's documented bound
// and the rounding), then one Newton step in double, y (1.5 - (0.5 P 2^-2j) y^2), which leaves a
// relative error of 1.5 d^2 + |d|^3 / 2 < 2^-22 and a few u of its own roundings, and multiply by
// num and by 2^-j (exact unless subnormal). Either way a / e - 1 lies within 2^-22 + 12u, and
// eta = kApproximation = 2^-20 and 2^-1000 cover it. The exact root (a = e) meets any eta.
//
// The list. Let top be the largest approximation, a_i, and best the largest estimate. Then
// best >= e_i >= top - eta R - tau (R = largest_estimate, tau = 2^-1000, eta = kApproximation), and
// every candidate with e_k >= best - 3 spread (all that the full test can keep: it sets aside
// what lies more than 2 spread below, even after the rounding of that subtraction) has
// a_k >= e_k - eta R - tau >= top - 3 spread - 2 eta R - 2 tau. The cutoff below subtracts that
// much plus a 2^-10 share of it, which covers the rounding of the cutoff itself, since
// 2^-10 * 2 eta R is far above u (|top| + the amount). Every candidate at or above it gets its
// exact estimate; the best among them is the best of all, and the full test decides the rest.

namespace kova {
namespace {

// Every function here that takes or returns a vector is always inlined into one instruction
// set's variant, so no vector crosses a call between code built for different instructions: it
// would arrive garbled. (The exceptions, the approximate roots, are built for their width, like
// their only callers.) Each variant works in vectors of its own width, so that they stay in
// registers: eight doubles with 512 bits, four with 256, two in the baseline.

using Doubles = double __attribute__((vector_size(64)));
using Doubles4 = double __attribute__((vector_size(32)));
using Doubles2 = double __attribute__((vector_size(16)));
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kLowestProduct = 0x1p-1000;
constexpr double kHighestProduct = 0x1p1000;
constexpr double kHighestNum = 0x1p500;

template <class V>
constexpr std::size_t kLanesOf = sizeof(V) / sizeof(double);

template <class Real>
inline __attribute__((always_inline)) Real lesser(Real a, Real b) {
  return a < b ? a : b;
}

// 0, 1, 2, ... in the lanes.
template <class V>
inline __attribute__((always_inline)) V lane_numbers() {
  V v;
  for (std::size_t i = 0; i < kLanesOf<V>; ++i) v[i] = static_cast<double>(i);
  return v;
}

// Lane i takes lane i ^ Step.
template <std::size_t Step, class V, std::size_t... I>
inline __attribute__((always_inline)) V swapped(V v, std::index_sequence<I...>) {
  return __builtin_shufflevector(v, v, (I ^ Step)...);
}

// The least (greatest) of the lanes, in every lane; the lanes hold no NaN.
template <class V>
inline __attribute__((always_inline)) V fold_lesser(V v) {
  constexpr auto lanes = std::make_index_sequence<kLanesOf<V>>{};
  if constexpr (kLanesOf<V> >= 8) v = lesser(v, swapped<4>(v, lanes));
  if constexpr (kLanesOf<V> >= 4) v = lesser(v, swapped<2>(v, lanes));
  return lesser(v, swapped<1>(v, lanes));
}
template <class V>
inline __attribute__((always_inline)) V fold_greater(V v) {
  constexpr auto lanes = std::make_index_sequence<kLanesOf<V>>{};
  const auto greater = [](V a, V b) __attribute__((always_inline)) { return a > b ? a : b; };
  if constexpr (kLanesOf<V> >= 8) v = greater(v, swapped<4>(v, lanes));
  if constexpr (kLanesOf<V> >= 4) v = greater(v, swapped<2>(v, lanes));
  return greater(v, swapped<1>(v, lanes));
}

// |v| by clearing the sign bit: one AND where a comparison and a blend would take two. (It makes
// -0 into +0 and a NaN positive; neither changes a largest |num| nor passes a comparison.)
template <class V>
inline __attribute__((always_inline)) V magnitude(V v) {
  using Mask = decltype(v != v);
  return reinterpret_cast<V>(reinterpret_cast<Mask>(v) & (Mask{} + std::numeric_limits<std::int64_t>::max()));
}

#ifdef KOVA_X86_KERNELS
// Instructions of one width in functions built for it, which take and give vectors through
// pointers: GCC and clang both inline them into their callers once those are inlined into the
// variant of the same width, and no vector crosses a call between code built for different
// instructions. Unaligned accesses: the vectors may be spilled where the stack is not aligned
// to their size (MinGW-w64).

// The first `count` (fewer than the lanes) doubles from memory, NaN in the other lanes.
__attribute__((target("avx512f"))) inline void load_first_512(const double* from, std::size_t count, double* to) {
  const auto lanes = static_cast<__mmask8>((1U << count) - 1);
  _mm512_storeu_pd(to, _mm512_mask_loadu_pd(_mm512_set1_pd(kNaN), lanes, from));
}
__attribute__((target("avx512f"))) inline void store_first_512(double* to, std::size_t count, const double* from) {
  _mm512_mask_storeu_pd(to, static_cast<__mmask8>((1U << count) - 1), _mm512_loadu_pd(from));
}
__attribute__((target("avx2,fma"))) inline __m256i first_256(std::size_t count) {
  return _mm256_cmpgt_epi64(_mm256_set1_epi64x(static_cast<long long>(count)), _mm256_setr_epi64x(0, 1, 2, 3));
}
__attribute__((target("avx2,fma"))) inline void load_first_256(const double* from, std::size_t count, double* to) {
  const __m256i lanes = first_256(count);
  _mm256_storeu_pd(to,
                   _mm256_blendv_pd(_mm256_set1_pd(kNaN), _mm256_maskload_pd(from, lanes), _mm256_castsi256_pd(lanes)));
}
__attribute__((target("avx2,fma"))) inline void store_first_256(double* to, std::size_t count, const double* from) {
  _mm256_maskstore_pd(to, first_256(count), _mm256_loadu_pd(from));
}
#endif

// The last, partial block: its `count` candidates' values with NaN in the other lanes, and its
// approximations stored, without building a vector lane by lane in memory.
template <class V>
inline __attribute__((always_inline)) V first_lanes(const double* from, std::size_t count) {
  V v = V{} + kNaN;
  if constexpr (kLanesOf<V> == 2) {
    v[0] = from[0];  // one lane, the only partial block of two
#ifdef KOVA_X86_KERNELS
  } else if constexpr (kLanesOf<V> == 4) {
    load_first_256(from, count, reinterpret_cast<double*>(&v));
  } else {
    load_first_512(from, count, reinterpret_cast<double*>(&v));
#endif
  }
  (void)count;
  return v;
}
template <class V>
inline __attribute__((always_inline)) void store_first_lanes(double* to, std::size_t count, V v) {
  if constexpr (kLanesOf<V> == 2) {
    to[0] = v[0];
#ifdef KOVA_X86_KERNELS
  } else if constexpr (kLanesOf<V> == 4) {
    store_first_256(to, count, reinterpret_cast<const double*>(&v));
  } else {
    store_first_512(to, count, reinterpret_cast<const double*>(&v));
#endif
  }
  (void)count;
}

// Per lane: the extremes over its candidates, the position of its first largest approximation and
// the largest of its others (so that a top alone in its lead is seen without a second look).
template <class V>
struct Extremes {
  V min_a = V{} + kInfinity, min_b = V{} + kInfinity, max_abs_num = V{}, top = V{} - kInfinity,
    second = V{} - kInfinity, top_at = V{} - 1.0, unbounded = V{};
};

template <class V>
inline __attribute__((always_inline)) void track_top(V value, V at, Extremes<V>& extremes) {
  const V below_top = value > extremes.top ? extremes.top : value;  // NaN stays out of second
  extremes.second = below_top > extremes.second ? below_top : extremes.second;
  extremes.top_at = value > extremes.top ? at : extremes.top_at;
  extremes.top = value > extremes.top ? value : extremes.top;
  // All bits set in the lanes that met a NaN: one OR, no constant to hold in a register.
  using Mask = decltype(value != value);
  extremes.unbounded = reinterpret_cast<V>(reinterpret_cast<Mask>(extremes.unbounded) | (value != value));
}

// Some lane of `unbounded` met a NaN.
template <class V>
inline __attribute__((always_inline)) bool any_unbounded(V unbounded) {
  const auto bits = reinterpret_cast<decltype(unbounded != unbounded)>(unbounded);
  bool any = false;
  for (std::size_t i = 0; i < kLanesOf<V>; ++i) any = any || bits[i] != 0;
  return any;
}

// A lane's worth of candidates on the lean path: the parts, the approximation, and the extremes
// over every candidate whose parts are numbers (comparisons with NaN keep the running value).
// When those extremes show every such candidate bounded (see estimate_all), this is the bounded
// test.
template <class V, class Root>
inline __attribute__((always_inline)) V estimate_lean(const StepRows& rows, V x, V y, V at, double, double, Root root,
                                                      Extremes<V>& extremes) {
  const EstimateParts<V> parts = estimate_parts(rows.step, x, y, rows.inverse_divisor);
  const V a = parts.a, b = parts.b, num = parts.num;
  const V abs_num = magnitude(num);
  const V product = a * b;
  const V approx = root(num, product);
  extremes.min_a = a < extremes.min_a ? a : extremes.min_a;
  extremes.min_b = b < extremes.min_b ? b : extremes.min_b;
  extremes.max_abs_num = abs_num > extremes.max_abs_num ? abs_num : extremes.max_abs_num;
  track_top(approx, at, extremes);
  return approx;
}

// A lane's worth of candidates: estimate_without's parts in its order, the bounded test, the
// approximation and the running extremes. Every condition of the test is a difference that is
// positive exactly when it holds, and the least of them one comparison: two blends in a row would
// be merged into an AND of masks, which the compiler does not vectorise. A NaN in any part makes
// the approximation NaN (an infinite A or B makes the product infinite, which the test rejects),
// so NaN is never bounded.
template <class V, class Root>
inline __attribute__((always_inline)) V estimate(const StepRows& rows, V x, V y, V at, double cut_a, double cut_b,
                                                 Root root, Extremes<V>& extremes) {
  const EstimateParts<V> parts = estimate_parts(rows.step, x, y, rows.inverse_divisor);
  const V a = parts.a, b = parts.b, num = parts.num;
  const V product = a * b;
  const V abs_num = magnitude(num);
  const V margin = lesser(lesser(a - cut_a, b - cut_b),
                          lesser(product - kLowestProduct, lesser(kHighestProduct - product, kHighestNum - abs_num)));
  const V approx = root(num, product);
  const V bounded = margin > 0.0 ? approx : V{} + kNaN;
  const V far = V{} + kInfinity;
  const V a_in = bounded == bounded ? a : far;
  const V b_in = bounded == bounded ? b : far;
  const V num_in = bounded == bounded ? abs_num : V{};
  extremes.min_a = a_in < extremes.min_a ? a_in : extremes.min_a;
  extremes.min_b = b_in < extremes.min_b ? b_in : extremes.min_b;
  extremes.max_abs_num = num_in > extremes.max_abs_num ? num_in : extremes.max_abs_num;
  track_top(bounded, at, extremes);
  return bounded;
}

template <class V, class Kernel, class Root>
inline __attribute__((always_inline)) EstimateSummary estimate_pass(const StepRows& rows, double cut_a, double cut_b,
                                                                    double* approx, Kernel kernel, Root root,
                                                                    Extremes<V>& extremes) {
  constexpr std::size_t kLanes = kLanesOf<V>;
  const V numbers = lane_numbers<V>();
  const std::size_t m = rows.x.size();
  // The sums and the columns in locals: a store through `approx` could otherwise alias them, and
  // each block would load them again.
  const PairSums step = rows.step;
  const double* const xs_at = rows.x.data();
  const double* const ys_at = rows.y.data();
  const StepRows local{step, rows.x, rows.y, rows.inverse_divisor};
  std::size_t k = 0;
  V at = numbers;
  for (; k + kLanes <= m; k += kLanes, at += static_cast<double>(kLanes)) {
    V xs, ys;
    std::memcpy(&xs, xs_at + k, sizeof xs);
    std::memcpy(&ys, ys_at + k, sizeof ys);
    const V out = kernel(local, xs, ys, at, cut_a, cut_b, root, extremes);
    std::memcpy(approx + k, &out, sizeof out);
  }
  if (k < m) {  // the last few, in lanes filled up with NaN, which is never bounded
    const V xs = first_lanes<V>(xs_at + k, m - k), ys = first_lanes<V>(ys_at + k, m - k);
    const V seen = extremes.unbounded;
    const V out = kernel(local, xs, ys, at, cut_a, cut_b, root, extremes);
    store_first_lanes(approx + k, m - k, out);
    extremes.unbounded =
        at < static_cast<double>(m) ? extremes.unbounded : seen;  // the filling lanes are no candidates
  }
  // Across the lanes with vector operations: no branch on the data.
  const V top = fold_greater(extremes.top);
  const V lead_lane = fold_lesser(extremes.top == top ? numbers : V{} + static_cast<double>(kLanes));
  const auto lead = numbers == lead_lane;  // the first lane with the top
  EstimateSummary summary;
  summary.min_a = fold_lesser(extremes.min_a)[0];
  summary.min_b = fold_lesser(extremes.min_b)[0];
  summary.max_abs_num = fold_greater(extremes.max_abs_num)[0];
  summary.top = top[0];
  // The lead lane's second, and every other lane's top: a tie with the top makes second = top.
  summary.second = fold_greater(lead ? extremes.second : extremes.top)[0];
  const double top_at = fold_greater(lead ? extremes.top_at : V{} - 1.0)[0];
  summary.top_at = top_at >= 0.0 ? static_cast<std::size_t>(top_at) : m;
  summary.unbounded = any_unbounded(extremes.unbounded);
  return summary;
}

// The lean pass first. Where its extremes lie inside every condition of the bounded test, every
// candidate whose parts are numbers is bounded, its NaN ones are not, and its min_a and min_b are
// at most those of the bounded candidates, above the cuts, as the spread needs; otherwise the
// pass is run again with the test lane by lane. Each product a_k b_k lies between min_a min_b
// and fl(sxx syy) of the step's sums, rounding being monotone: with every a_k, b_k positive,
// a_k = fl(fl(sxx - fl(x_k x_k)) - q) with q >= 0 is at most sxx, and b_k at most syy. So the
// pass keeps no largest product.
template <class V, class Root>
inline __attribute__((always_inline)) EstimateSummary estimate_all(const StepRows& rows, double cut_a, double cut_b,
                                                                   double* approx, Root root) {
  const auto lean = [](const StepRows& r, V x, V y, V at, double ca, double cb, Root rt, Extremes<V>& e)
      __attribute__((always_inline)) {
    return estimate_lean(r, x, y, at, ca, cb, rt, e);
  };
  const auto checked = [](const StepRows& r, V x, V y, V at, double ca, double cb, Root rt, Extremes<V>& e)
      __attribute__((always_inline)) {
    return estimate(r, x, y, at, ca, cb, rt, e);
  };
  Extremes<V> extremes;
  const EstimateSummary summary = estimate_pass(rows, cut_a, cut_b, approx, lean, root, extremes);
  const double most_product = rows.step.sxx * rows.step.syy;
  const bool all_bounded = summary.min_a > cut_a && summary.min_b > cut_b && summary.min_a > 0.0 &&
                           summary.min_b > 0.0 && summary.min_a * summary.min_b >= kLowestProduct &&
                           most_product <= kHighestProduct && summary.max_abs_num < kHighestNum;
  if (all_bounded) return summary;
  Extremes<V> again;
  return estimate_pass(rows, cut_a, cut_b, approx, checked, root, again);
}

// The estimate itself, lane by lane; the compiler turns the loop into one vector square root
// (this file is compiled without errno for math functions), which every instruction set rounds
// correctly.
struct ExactRoot {
  template <class V>
  inline __attribute__((always_inline)) V operator()(V num, V product) const {
    for (std::size_t i = 0; i < kLanesOf<V>; ++i) product[i] = std::sqrt(product[i]);
    return num / product;
  }
};

// One byte per lane of a vector of doubles.
template <std::size_t Lanes>
struct ByteLanes;
template <>
struct ByteLanes<2> {
  using type = unsigned char __attribute__((vector_size(2)));
};
template <>
struct ByteLanes<4> {
  using type = unsigned char __attribute__((vector_size(4)));
};
template <>
struct ByteLanes<8> {
  using type = unsigned char __attribute__((vector_size(8)));
};

// The list, a lane's worth at a time: a block that holds none costs one comparison. NaN passes.
template <class V>
inline __attribute__((always_inline)) void contenders_all(const StepRows& rows, std::span<const double> approx,
                                                          const EstimateSummary& summary, double largest, double spread,
                                                          double removed_r, Contenders& out) {
  constexpr std::size_t kLanes = kLanesOf<V>;
  using Bytes = typename ByteLanes<kLanes>::type;
  const double cutoff = summary.top - ((3.0 * spread + 2.0 * kApproximation * largest) * (1.0 + 0x1p-10) + 0x1p-990);
  const std::size_t m = approx.size();
  if (out.index.size() < m) {
    out.index.resize(m);
    out.r.resize(m);
  }
  std::size_t* index = out.index.data();
  double* r = out.r.data();
  std::size_t listed = 0;
  const auto list = [&](std::size_t k) {
    index[listed] = k;
    r[listed] =
        std::isnan(approx[k]) ? kNaN : estimate_without(rows.step, rows.x[k], rows.y[k], rows.inverse_divisor).r;
    ++listed;
  };
  // Mostly the top is the only one at or above the cutoff, and the first pass knows it.
  const bool top_alone = !summary.unbounded && summary.top_at < m && summary.second < cutoff;
  std::size_t k = top_alone ? m : 0;
  if (top_alone) list(summary.top_at);
  for (; k + kLanes <= m; k += kLanes) {
    V rs;
    std::memcpy(&rs, approx.data() + k, sizeof rs);
    const Bytes open = __builtin_convertvector(~(rs < cutoff) & 1, Bytes);
    std::uint64_t lanes = 0;  // one byte per lane, 1 where it is listed
    std::memcpy(&lanes, &open, sizeof open);
    for (; lanes != 0; lanes &= lanes - 1) list(k + static_cast<std::size_t>(__builtin_ctzll(lanes)) / 8);
  }
  for (; k < m; ++k) {
    if (!(approx[k] < cutoff)) list(k);
  }

  out.best = -kInfinity;
  for (std::size_t i = 0; i < listed; ++i) out.best = r[i] > out.best ? r[i] : out.best;
  out.count = 0;
  for (std::size_t i = 0; i < listed; ++i) {
    if (out.best - r[i] > 2.0 * spread || removed_r - r[i] > spread) continue;
    index[out.count] = index[i];
    r[out.count] = r[i];
    ++out.count;
  }
}

#ifdef KOVA_X86_KERNELS
using Floats4 = float __attribute__((vector_size(16)));
using Floats2 = float __attribute__((vector_size(8)));
using Bits4 = std::uint64_t __attribute__((vector_size(32)));
using Bits2 = std::uint64_t __attribute__((vector_size(16)));

// Four or two single-precision reciprocal square roots (relative error at most 1.5 * 2^-12): the
// instruction of the baseline, so that every width and every compiler can inline it.
inline __attribute__((always_inline)) Floats4 reciprocal_roots(Floats4 v) {
  return reinterpret_cast<Floats4>(_mm_rsqrt_ps(reinterpret_cast<__m128>(v)));
}
inline __attribute__((always_inline)) Floats2 reciprocal_roots(Floats2 v) {
  const Floats4 roots = reciprocal_roots(Floats4{v[0], v[1], 1.0f, 1.0f});
  return Floats2{roots[0], roots[1]};
}

// Single precision widened to double. GCC 12 widens four floats through memory, half at a time;
// with 256-bit instructions it is one instruction (a function built for them, see vector_width.hpp).
#ifdef KOVA_WIDE_FUNCTORS
__attribute__((target("avx2,fma"))) inline Doubles4 widened_256(Floats4 v) {
  return reinterpret_cast<Doubles4>(_mm256_cvtps_pd(reinterpret_cast<__m128>(v)));
}
#endif
template <class V, class Narrow>
inline __attribute__((always_inline)) V widened(Narrow v) {
#ifdef KOVA_WIDE_FUNCTORS
  if constexpr (sizeof(V) == 32) return widened_256(v);
#endif
  return __builtin_convertvector(v, V);
}

// The approximate root on narrower vectors, in generic vector operations (each width's compiled
// code uses its own instructions): the product scaled by an even power of two 2^-2j into
// [0.5, 2) (exact), rounded to single precision, its reciprocal square root, widened again and
// refined by a Newton step, then the product with num and 2^-j (see above). Only a bounded product (in [2^-1000,
// 2^1000]) gives an approximation; any other lane gives a number or NaN that nothing reads.
template <class V, class Narrow, class Bits>
inline __attribute__((always_inline)) V reduced_root(V num, V product) {
  const Bits half_exponent = reinterpret_cast<Bits>(product) >> 53;
  const V up = reinterpret_cast<V>((1534 - half_exponent) << 52);  // 2^-j, j = half_exponent - 511
  const V down = up * up;                                          // 2^-2j, exact: |j| <= 500 for a bounded product
  const V reduced = product * down;
  const V y = widened<V>(reciprocal_roots(__builtin_convertvector(reduced, Narrow)));
  const V refined = y * (1.5 - (0.5 * reduced) * (y * y));  // one Newton step
  return num * refined * up;
}
#endif

// The narrower widths' root: the approximate one on x86, the exact one elsewhere.
struct NarrowRoot {
  template <class V>
  inline __attribute__((always_inline)) V operator()(V num, V product) const {
#ifdef KOVA_X86_KERNELS
    if constexpr (sizeof(V) == 32) return reduced_root<V, Floats4, Bits4>(num, product);
    if constexpr (sizeof(V) == 16) return reduced_root<V, Floats2, Bits2>(num, product);
#endif
    return ExactRoot{}(num, product);
  }
};

EstimateSummary estimate_base(const StepRows& rows, double cut_a, double cut_b, double* approx) {
  return estimate_all<Doubles2>(rows, cut_a, cut_b, approx, NarrowRoot{});
}
void contenders_base(const StepRows& rows, std::span<const double> approx, const EstimateSummary& summary,
                     double largest, double spread, double removed_r, Contenders& out) {
  contenders_all<Doubles2>(rows, approx, summary, largest, spread, removed_r, out);
}

#ifdef KOVA_X86_KERNELS
#ifdef KOVA_WIDE_FUNCTORS
// The reciprocal square root instruction, a Newton step and one product: no division, no square
// root. (The
// zero-masked form: the plain one starts from an undefined vector, which GCC 12 warns about.)
struct ApproxRoot {
  __attribute__((target("avx512f"))) inline Doubles operator()(Doubles num, Doubles product) const {
    const Doubles y = reinterpret_cast<Doubles>(_mm512_maskz_rsqrt14_pd(0xFF, reinterpret_cast<__m512d>(product)));
    return num * (y * (1.5 - (0.5 * product) * (y * y)));  // one Newton step
  }
};
#else
using ApproxRoot = ExactRoot;
#endif

__attribute__((target("avx512f"))) EstimateSummary estimate_512(const StepRows& rows, double cut_a, double cut_b,
                                                                double* approx) {
  return estimate_all<Doubles>(rows, cut_a, cut_b, approx, ApproxRoot{});
}
__attribute__((target("avx2,fma"))) EstimateSummary estimate_256(const StepRows& rows, double cut_a, double cut_b,
                                                                 double* approx) {
  return estimate_all<Doubles4>(rows, cut_a, cut_b, approx, NarrowRoot{});
}
__attribute__((target("avx512f"))) void contenders_512(const StepRows& rows, std::span<const double> approx,
                                                       const EstimateSummary& summary, double largest, double spread,
                                                       double removed_r, Contenders& out) {
  contenders_all<Doubles>(rows, approx, summary, largest, spread, removed_r, out);
}
__attribute__((target("avx2,fma"))) void contenders_256(const StepRows& rows, std::span<const double> approx,
                                                        const EstimateSummary& summary, double largest, double spread,
                                                        double removed_r, Contenders& out) {
  contenders_all<Doubles4>(rows, approx, summary, largest, spread, removed_r, out);
}
#endif

}  // namespace

EstimateSummary estimate_candidates(const StepRows& rows, double cut_a, double cut_b, double* approx, int width) {
  // A NaN cut bounds nothing; as an infinite one it does the same through the lanes' differences.
  if (std::isnan(cut_a) || std::isnan(cut_b)) cut_a = cut_b = kInfinity;
#ifdef KOVA_X86_KERNELS
  if (width >= 512 && widest_vectors() >= 512) return estimate_512(rows, cut_a, cut_b, approx);
  if (width >= 256 && widest_vectors() >= 256) return estimate_256(rows, cut_a, cut_b, approx);
#endif
  (void)width;
  return estimate_base(rows, cut_a, cut_b, approx);
}

double largest_estimate(const EstimateSummary& summary) {
  return summary.max_abs_num / std::sqrt(summary.min_a * summary.min_b);
}

void collect_contenders(const StepRows& rows, std::span<const double> approx, const EstimateSummary& summary,
                        double largest, double spread, double removed_r, Contenders& out, int width) {
#ifdef KOVA_X86_KERNELS
  if (width >= 512 && widest_vectors() >= 512) {
    return contenders_512(rows, approx, summary, largest, spread, removed_r, out);
  }
  if (width >= 256 && widest_vectors() >= 256) {
    return contenders_256(rows, approx, summary, largest, spread, removed_r, out);
  }
#endif
  (void)width;
  contenders_base(rows, approx, summary, largest, spread, removed_r, out);
}

}  // namespace kova
