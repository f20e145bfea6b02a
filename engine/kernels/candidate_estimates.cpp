#include "engine/kernels/candidate_estimates.hpp"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <type_traits>
#include <utility>

#include "engine/kernels/vector_width.hpp"

#ifdef KOVA_X86_KERNELS
#include <immintrin.h>
#endif

#include "engine/bounds/elimination_bounds.hpp"

// The approximation. With P = fl(A B) in [2^-1000, 2^1000] and |num| < 2^500 the estimate is e =
// fl(num / fl(sqrt(P))), which is num / sqrt(P) times (1 + d1)(1 + d2), |d1|, |d2| <= u. Every
// approximate root takes y = (1 + d) / sqrt(P') from a reciprocal square root instruction, with P'
// = P 2^-2j, refines it by one Newton step in double, y (1.5 - (0.5 P') y^2), and returns a =
// fl(num * (refined y * 2^-j)). With 512 bits y is the double-precision instruction's, with |d| <=
// 2^-14 (its documented bound), and j = 0. The narrower widths round P' to single precision and
// take that instruction's, |d| <= 1.5 * 2^-12 + 2^-25 (the documented bound and the rounding),
// which needs P' in single precision's normal range: j = 0 where every bounded product of the step
// lies in [2^-118, 2^120] (which the step's sums and the pass's extremes show, see estimate_all),
// otherwise 2^-2j is taken lane by lane, the even power of two that brings P into [0.5, 2) (exact).
// The Newton step leaves a relative error of 1.5 d^2 + |d|^3 / 2 < 2^-22 and at most four roundings
// of its own (y^2, the product with 0.5 P' (0.5 is exact), the subtraction and the product with y;
// three where a fused multiply-add does the middle two, with 512 and 256 bits), each within u, with
// no result below the normal range: y^2 and the refined y lie near 1/P' and 1/sqrt(P'), and the
// refined y times 2^-j (exact) near 1/sqrt(P) in [2^-500, 2^500]. The product with num rounds once
// more, and only there a subnormal result adds an absolute 2^-1075. Either way a / e - 1 lies
// within 2^-22 + 12u, and eta = kApproximation = 2^-20 and 2^-1000 cover it. The exact root (a = e)
// meets any eta.
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

// Per lane: the extremes over its candidates. (Where the top lies and what comes next is left to
// the list, whose scan is cheaper than following them here.)
template <class V>
struct Extremes {
  V min_a = V{} + kInfinity, min_b = V{} + kInfinity, max_abs_num = V{}, top = V{} - kInfinity;
};

// A lane's worth of candidates on the lean path: the parts, the approximation, and the extremes
// over every candidate whose parts are numbers (comparisons with NaN keep the running value).
// When those extremes show every such candidate bounded (see estimate_all), this is the bounded
// test.
template <class V, class Root>
inline __attribute__((always_inline)) V estimate_lean(const StepRows& rows, V x, V y, double, double, Root root,
                                                      Extremes<V>& extremes) {
  const EstimateParts<V> parts = estimate_parts(rows.step, x, y, rows.inverse_divisor);
  const V a = parts.a, b = parts.b, num = parts.num;
  const V abs_num = magnitude(num);
  const V product = a * b;
  const V approx = root(num, product);
  extremes.min_a = a < extremes.min_a ? a : extremes.min_a;
  extremes.min_b = b < extremes.min_b ? b : extremes.min_b;
  extremes.max_abs_num = abs_num > extremes.max_abs_num ? abs_num : extremes.max_abs_num;
  extremes.top = approx > extremes.top ? approx : extremes.top;
  return approx;
}

// A lane's worth of candidates: estimate_without's parts in its order, the bounded test, the
// approximation and the running extremes. Every condition of the test is a difference that is
// positive exactly when it holds, and the least of them one comparison: two blends in a row would
// be merged into an AND of masks, which the compiler does not vectorise. A NaN in any part makes
// the approximation NaN (an infinite A or B makes the product infinite, which the test rejects),
// so NaN is never bounded.
template <class V, class Root>
inline __attribute__((always_inline)) V estimate(const StepRows& rows, V x, V y, double cut_a, double cut_b, Root root,
                                                 Extremes<V>& extremes) {
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
  extremes.top = bounded > extremes.top ? bounded : extremes.top;
  return bounded;
}

template <class V, class Kernel, class Root>
inline __attribute__((always_inline)) EstimateSummary estimate_pass(const StepRows& rows, double cut_a, double cut_b,
                                                                    double* approx, Kernel kernel, Root root) {
  constexpr std::size_t kLanes = kLanesOf<V>;
  const std::size_t m = rows.x.size();
  // The sums and the columns in locals: a store through `approx` could otherwise alias them, and
  // each block would load them again.
  const PairSums step = rows.step;
  const double* const xs_at = rows.x.data();
  const double* const ys_at = rows.y.data();
  const StepRows local{step, rows.x, rows.y, rows.inverse_divisor};
  Extremes<V> extremes;
  std::size_t k = 0;
  for (; k + kLanes <= m; k += kLanes) {
    V xs, ys;
    std::memcpy(&xs, xs_at + k, sizeof xs);
    std::memcpy(&ys, ys_at + k, sizeof ys);
    const V out = kernel(local, xs, ys, cut_a, cut_b, root, extremes);
    std::memcpy(approx + k, &out, sizeof out);
  }
  if (k < m) {  // the last few, in lanes filled up with NaN, which is never bounded
    const V xs = first_lanes<V>(xs_at + k, m - k), ys = first_lanes<V>(ys_at + k, m - k);
    store_first_lanes(approx + k, m - k, kernel(local, xs, ys, cut_a, cut_b, root, extremes));
  }
  EstimateSummary summary;
  summary.min_a = fold_lesser(extremes.min_a)[0];
  summary.min_b = fold_lesser(extremes.min_b)[0];
  summary.max_abs_num = fold_greater(extremes.max_abs_num)[0];
  summary.top = fold_greater(extremes.top)[0];
  return summary;
}

// The lean pass first. Where its extremes lie inside every condition of the bounded test, every
// candidate whose parts are numbers is bounded, its NaN ones are not, and its min_a and min_b are
// at most those of the bounded candidates, above the cuts, as the spread needs; otherwise the
// pass is run again with the test lane by lane. Each bounded product a_k b_k lies between
// min_a min_b and fl(sxx syy) of the step's sums, rounding being monotone: with every a_k, b_k
// positive, a_k = fl(fl(sxx - fl(x_k x_k)) - q) with q >= 0 is at most sxx, and b_k at most syy.
// So the pass keeps no largest product, and a root that holds only for products in some range
// (SingleRangeRoot) can tell from the summary whether it held for every bounded one: nothing when
// it did not.
template <class V, class Root>
inline __attribute__((always_inline)) std::optional<EstimateSummary> estimate_all(const StepRows& rows, double cut_a,
                                                                                  double cut_b, double* approx,
                                                                                  Root root) {
  const auto lean =
      [](const StepRows& r, V x, V y, double ca, double cb, Root rt, Extremes<V>& e) __attribute__((always_inline)) {
    return estimate_lean(r, x, y, ca, cb, rt, e);
  };
  const auto checked =
      [](const StepRows& r, V x, V y, double ca, double cb, Root rt, Extremes<V>& e) __attribute__((always_inline)) {
    return estimate(r, x, y, ca, cb, rt, e);
  };
  EstimateSummary summary = estimate_pass<V>(rows, cut_a, cut_b, approx, lean, root);
  const double most_product = rows.step.sxx * rows.step.syy;
  const bool all_bounded = summary.min_a > cut_a && summary.min_b > cut_b && summary.min_a > 0.0 &&
                           summary.min_b > 0.0 && summary.min_a * summary.min_b >= kLowestProduct &&
                           most_product <= kHighestProduct && summary.max_abs_num < kHighestNum;
  if (!all_bounded) summary = estimate_pass<V>(rows, cut_a, cut_b, approx, checked, root);
  if (!root.fits(summary)) return std::nullopt;
  return summary;
}

// The estimate itself, lane by lane; the compiler turns the loop into one vector square root
// (this file is compiled without errno for math functions), which every instruction set rounds
// correctly. It fits every product.
struct ExactRoot {
  template <class V>
  inline __attribute__((always_inline)) V operator()(V num, V product) const {
    for (std::size_t i = 0; i < kLanesOf<V>; ++i) product[i] = std::sqrt(product[i]);
    return num / product;
  }
  static constexpr bool fits(const EstimateSummary&) { return true; }
};

#ifdef KOVA_X86_KERNELS
// One bit per lane of the block at `from`, set where the value is not below `cutoff` (NaN too).
__attribute__((target("avx512f"))) inline unsigned not_below_512(const double* from, double cutoff) {
  return _mm512_cmp_pd_mask(_mm512_loadu_pd(from), _mm512_set1_pd(cutoff), _CMP_NLT_UQ);
}
__attribute__((target("avx2,fma"))) inline unsigned not_below_256(const double* from, double cutoff) {
  return static_cast<unsigned>(
      _mm256_movemask_pd(_mm256_cmp_pd(_mm256_loadu_pd(from), _mm256_set1_pd(cutoff), _CMP_NLT_UQ)));
}
#endif
template <std::size_t Lanes>
inline __attribute__((always_inline)) unsigned not_below(const double* from, double cutoff) {
#ifdef KOVA_X86_KERNELS
  if constexpr (Lanes == 8) return not_below_512(from, cutoff);
  if constexpr (Lanes == 4) return not_below_256(from, cutoff);
  if constexpr (Lanes == 2) {
    return static_cast<unsigned>(_mm_movemask_pd(_mm_cmpnlt_pd(_mm_loadu_pd(from), _mm_set1_pd(cutoff))));
  }
#endif
  unsigned lanes = 0;
  for (std::size_t i = 0; i < Lanes; ++i) lanes |= (from[i] < cutoff ? 0U : 1U) << i;
  return lanes;
}

// The list, a lane's worth at a time: a block that holds none costs one comparison. NaN passes.
template <class V>
inline __attribute__((always_inline)) void contenders_all(const StepRows& rows, std::span<const double> approx,
                                                          const EstimateSummary& summary, double largest, double spread,
                                                          double removed_r, Contenders& out) {
  constexpr std::size_t kLanes = kLanesOf<V>;
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
  // Eight candidates to a test at every width: mostly none of them is listed.
  constexpr std::size_t kGroup = 8;
  std::size_t k = 0;
  for (; k + kGroup <= m; k += kGroup) {
    unsigned lanes = 0;
    for (std::size_t block = 0; block < kGroup; block += kLanes) {
      lanes |= not_below<kLanes>(approx.data() + k + block, cutoff) << block;
    }
    for (; lanes != 0; lanes &= lanes - 1) list(k + static_cast<std::size_t>(__builtin_ctz(lanes)));
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
using Bits4 = std::uint64_t __attribute__((vector_size(32)));
using Bits2 = std::uint64_t __attribute__((vector_size(16)));

// y (1.5 - (0.5 r) y^2), the Newton step towards 1/sqrt(r) from y; with 256 bits the subtraction
// and the product before it are one fused multiply-add.
__attribute__((target("avx2,fma"))) inline void refined_root_256(const double* r_at, double* to) {
  const __m256d r = _mm256_loadu_pd(r_at);
  const __m256d y = _mm256_cvtps_pd(_mm_rsqrt_ps(_mm256_cvtpd_ps(r)));
  const __m256d step =
      _mm256_fnmadd_pd(_mm256_mul_pd(_mm256_set1_pd(0.5), r), _mm256_mul_pd(y, y), _mm256_set1_pd(1.5));
  _mm256_storeu_pd(to, _mm256_mul_pd(y, step));
}

// 1/sqrt(r) for r in [2^-118, 2^120]: the single-precision reciprocal square root instruction on
// r rounded to single precision, widened and refined by a Newton step.
template <class V>
inline __attribute__((always_inline)) V refined_root(V r) {
  if constexpr (kLanesOf<V> == 4) {
    V refined;
    refined_root_256(reinterpret_cast<const double*>(&r), reinterpret_cast<double*>(&refined));
    return refined;
  } else {
    // The two upper lanes of the single-precision vector are 0, their roots infinite and unused.
    const V y = reinterpret_cast<V>(_mm_cvtps_pd(_mm_rsqrt_ps(_mm_cvtpd_ps(reinterpret_cast<__m128d>(r)))));
    return y * (1.5 - (0.5 * r) * (y * y));
  }
}

// The narrower widths' approximate root where every bounded product lies in [2^-118, 2^120], as
// with all but extreme data: num (1/sqrt(P)), no scaling. The step's fl(sxx syy) tells before the
// pass whether the products stay below, the summary after it whether they stayed above.
struct SingleRangeRoot {
  static bool may_fit(const PairSums& step) { return step.sxx * step.syy <= 0x1p120; }
  template <class V>
  inline __attribute__((always_inline)) V operator()(V num, V product) const {
    return num * refined_root(product);
  }
  static bool fits(const EstimateSummary& summary) {
    return summary.min_a > 0.0 && summary.min_b > 0.0 && summary.min_a * summary.min_b >= 0x1p-118;
  }
};

// Any other step: each product scaled by an even power of two 2^-2j into [0.5, 2) (exact for a
// bounded one), then num (1/sqrt(P 2^-2j) 2^-j). A lane that is not bounded gives a number or NaN
// that nothing reads.
struct LaneScaledRoot {
  template <class V>
  inline __attribute__((always_inline)) V operator()(V num, V product) const {
    using Bits = std::conditional_t<kLanesOf<V> == 4, Bits4, Bits2>;
    const Bits half_exponent = reinterpret_cast<Bits>(product) >> 53;
    const V up = reinterpret_cast<V>((1534 - half_exponent) << 52);  // 2^-j, j = half_exponent - 511
    const V down = up * up;                                          // 2^-2j, exact: |j| <= 500 for a bounded product
    return num * (refined_root(product * down) * up);
  }
  static constexpr bool fits(const EstimateSummary&) { return true; }
};

template <class V>
inline __attribute__((always_inline)) EstimateSummary estimate_narrow(const StepRows& rows, double cut_a, double cut_b,
                                                                      double* approx) {
  if (SingleRangeRoot::may_fit(rows.step)) {
    if (const auto summary = estimate_all<V>(rows, cut_a, cut_b, approx, SingleRangeRoot{})) return *summary;
  }
  return *estimate_all<V>(rows, cut_a, cut_b, approx, LaneScaledRoot{});
}
#else
template <class V>
inline __attribute__((always_inline)) EstimateSummary estimate_narrow(const StepRows& rows, double cut_a, double cut_b,
                                                                      double* approx) {
  return *estimate_all<V>(rows, cut_a, cut_b, approx, ExactRoot{});
}
#endif

EstimateSummary estimate_base(const StepRows& rows, double cut_a, double cut_b, double* approx) {
  return estimate_narrow<Doubles2>(rows, cut_a, cut_b, approx);
}
void contenders_base(const StepRows& rows, std::span<const double> approx, const EstimateSummary& summary,
                     double largest, double spread, double removed_r, Contenders& out) {
  contenders_all<Doubles2>(rows, approx, summary, largest, spread, removed_r, out);
}

#ifdef KOVA_X86_KERNELS
// The double-precision reciprocal square root instruction, a Newton step (its subtraction and the
// product before it one fused multiply-add) and one product: no division, no square root. (The
// zero-masked form: the plain one starts from an undefined vector, which GCC 12 warns about.)
__attribute__((target("avx512f"))) inline void approx_root_512(const double* num, const double* product, double* to) {
  const __m512d p = _mm512_loadu_pd(product);
  const __m512d y = _mm512_maskz_rsqrt14_pd(0xFF, p);
  const __m512d step =
      _mm512_fnmadd_pd(_mm512_mul_pd(_mm512_set1_pd(0.5), p), _mm512_mul_pd(y, y), _mm512_set1_pd(1.5));
  _mm512_storeu_pd(to, _mm512_mul_pd(_mm512_loadu_pd(num), _mm512_mul_pd(y, step)));
}
struct ApproxRoot {
  inline __attribute__((always_inline)) Doubles operator()(Doubles num, Doubles product) const {
    Doubles approx;
    approx_root_512(reinterpret_cast<const double*>(&num), reinterpret_cast<const double*>(&product),
                    reinterpret_cast<double*>(&approx));
    return approx;
  }
  static constexpr bool fits(const EstimateSummary&) { return true; }
};

__attribute__((target("avx512f"))) EstimateSummary estimate_512(const StepRows& rows, double cut_a, double cut_b,
                                                                double* approx) {
  return *estimate_all<Doubles>(rows, cut_a, cut_b, approx, ApproxRoot{});
}
__attribute__((target("avx2,fma"))) EstimateSummary estimate_256(const StepRows& rows, double cut_a, double cut_b,
                                                                 double* approx) {
  return estimate_narrow<Doubles4>(rows, cut_a, cut_b, approx);
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
