#include "engine/candidate_estimates.hpp"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define KOVA_X86_VARIANTS 1
#include <immintrin.h>
#endif

#include "engine/elimination_bounds.hpp"
#include "engine/vector_width.hpp"

// The approximation. With P = fl(A B) in [2^-1000, 2^1000] and |num| < 2^500 the estimate is
// e = fl(num / fl(sqrt(P))), which is num / sqrt(P) times (1 + d1)(1 + d2), |d1|, |d2| <= u; the
// approximation is a = fl(num * y) with y within 2^-14 / sqrt(P) of 1 / sqrt(P) (the instruction's
// documented bound), so a / e - 1 lies within 2^-14 + 5u. Where the results are subnormal an
// absolute 2^-1074 per operation is added. kApproximation = 2^-13 and 2^-1000 cover both.
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
// would arrive garbled. (The one exception, ApproxRoot, is itself built for 512 bits, like its
// only caller.)

using Doubles = double __attribute__((vector_size(64)));
constexpr std::size_t kLanes = 8;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kLowestProduct = 0x1p-1000;
constexpr double kHighestProduct = 0x1p1000;
constexpr double kHighestNum = 0x1p500;

template <class Real>
inline __attribute__((always_inline)) Real lesser(Real a, Real b) {
  return a < b ? a : b;
}

using LaneIndices = std::int64_t __attribute__((vector_size(64)));
const Doubles kLaneNumbers = {0.0, 1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0};

#ifdef __clang__
#define KOVA_SHUFFLE(v, ...) __builtin_shufflevector(v, v, __VA_ARGS__)
#else
#define KOVA_SHUFFLE(v, ...) __builtin_shuffle(v, LaneIndices{__VA_ARGS__})
#endif

// The least (greatest) of the eight lanes, in every lane; the lanes hold no NaN.
inline __attribute__((always_inline)) Doubles fold_lesser(Doubles v) {
  v = lesser(v, KOVA_SHUFFLE(v, 4, 5, 6, 7, 0, 1, 2, 3));
  v = lesser(v, KOVA_SHUFFLE(v, 2, 3, 0, 1, 6, 7, 4, 5));
  return lesser(v, KOVA_SHUFFLE(v, 1, 0, 3, 2, 5, 4, 7, 6));
}
#undef KOVA_SHUFFLE
inline __attribute__((always_inline)) Doubles fold_greater(Doubles v) { return -fold_lesser(-v); }

// Per lane: the extremes over its candidates, the position of its first largest approximation and
// the largest of its others (so that a top alone in its lead is seen without a second look).
struct Extremes {
  Doubles min_a = Doubles{} + kInfinity, min_b = Doubles{} + kInfinity, max_a = Doubles{}, max_b = Doubles{},
          max_abs_num = Doubles{}, top = Doubles{} - kInfinity, second = Doubles{} - kInfinity,
          top_at = Doubles{} - 1.0, unbounded = Doubles{};
};

inline __attribute__((always_inline)) void track_top(Doubles value, Doubles at, Extremes& extremes) {
  const Doubles below_top = value > extremes.top ? extremes.top : value;  // NaN stays out of second
  extremes.second = below_top > extremes.second ? below_top : extremes.second;
  extremes.top_at = value > extremes.top ? at : extremes.top_at;
  extremes.top = value > extremes.top ? value : extremes.top;
  extremes.unbounded = value == value ? extremes.unbounded : Doubles{} + 1.0;
}

// Eight candidates on the lean path: the parts, the approximation, and the extremes over every
// candidate whose parts are numbers (comparisons with NaN keep the running value). When those
// extremes show every such candidate bounded (see estimate_all), this is the bounded test.
template <class Root>
inline __attribute__((always_inline)) Doubles estimate_lean(const StepRows& rows, Doubles x, Doubles y, Doubles at,
                                                            double, double, Root root, Extremes& extremes) {
  const EstimateParts<Doubles> parts = estimate_parts(rows.step, x, y, rows.inverse_divisor);
  const Doubles a = parts.a, b = parts.b, num = parts.num;
  const Doubles abs_num = num < 0.0 ? -num : num;
  const Doubles approx = root(num, a * b);
  extremes.min_a = a < extremes.min_a ? a : extremes.min_a;
  extremes.min_b = b < extremes.min_b ? b : extremes.min_b;
  extremes.max_a = a > extremes.max_a ? a : extremes.max_a;
  extremes.max_b = b > extremes.max_b ? b : extremes.max_b;
  extremes.max_abs_num = abs_num > extremes.max_abs_num ? abs_num : extremes.max_abs_num;
  track_top(approx, at, extremes);
  return approx;
}

// Eight candidates: estimate_without's parts in its order, the bounded test, the approximation and
// the running extremes. Every condition of the test is a difference that is positive exactly when
// it holds, and the least of them one comparison: two blends in a row would be merged into an AND
// of masks, which the compiler does not vectorise. A NaN in any part makes the approximation NaN
// (an infinite A or B makes the product infinite, which the test rejects), so NaN is never bounded.
template <class Root>
inline __attribute__((always_inline)) Doubles estimate(const StepRows& rows, Doubles x, Doubles y, Doubles at,
                                                       double cut_a, double cut_b, Root root, Extremes& extremes) {
  const EstimateParts<Doubles> parts = estimate_parts(rows.step, x, y, rows.inverse_divisor);
  const Doubles a = parts.a, b = parts.b, num = parts.num;
  const Doubles product = a * b;
  const Doubles abs_num = num < 0.0 ? -num : num;
  const Doubles margin =
      lesser(lesser(a - cut_a, b - cut_b),
             lesser(product - kLowestProduct, lesser(kHighestProduct - product, kHighestNum - abs_num)));
  const Doubles approx = root(num, product);
  const Doubles bounded = margin > 0.0 ? approx : Doubles{} + kNaN;
  const Doubles far = Doubles{} + kInfinity;
  const Doubles a_in = bounded == bounded ? a : far;
  const Doubles b_in = bounded == bounded ? b : far;
  const Doubles num_in = bounded == bounded ? abs_num : Doubles{};
  extremes.min_a = a_in < extremes.min_a ? a_in : extremes.min_a;
  extremes.min_b = b_in < extremes.min_b ? b_in : extremes.min_b;
  extremes.max_abs_num = num_in > extremes.max_abs_num ? num_in : extremes.max_abs_num;
  track_top(bounded, at, extremes);
  return bounded;
}

template <class Kernel, class Root>
inline __attribute__((always_inline)) EstimateSummary estimate_pass(const StepRows& rows, double cut_a, double cut_b,
                                                                    double* approx, Kernel kernel, Root root,
                                                                    Extremes& extremes) {
  const std::size_t m = rows.x.size();
  std::size_t k = 0;
  for (; k + kLanes <= m; k += kLanes) {
    Doubles xs, ys;
    std::memcpy(&xs, rows.x.data() + k, sizeof xs);
    std::memcpy(&ys, rows.y.data() + k, sizeof ys);
    const Doubles out = kernel(rows, xs, ys, kLaneNumbers + static_cast<double>(k), cut_a, cut_b, root, extremes);
    std::memcpy(approx + k, &out, sizeof out);
  }
  bool unbounded = false;
  if (k < m) {  // the last few, in lanes filled up with NaN, which is never bounded
    Doubles xs = Doubles{} + kNaN, ys = xs;
    for (std::size_t i = 0; k + i < m; ++i) {
      xs[i] = rows.x[k + i];
      ys[i] = rows.y[k + i];
    }
    Extremes tail = extremes;
    const Doubles out = kernel(rows, xs, ys, kLaneNumbers + static_cast<double>(k), cut_a, cut_b, root, tail);
    for (std::size_t i = 0; k + i < m; ++i) {
      approx[k + i] = out[i];
      unbounded = unbounded || std::isnan(out[i]);
    }
    tail.unbounded = extremes.unbounded;  // the filling lanes are no candidates
    extremes = tail;
  }
  // Across the lanes with vector operations: no branch on the data.
  const Doubles top = fold_greater(extremes.top);
  const Doubles lead_lane = fold_lesser(extremes.top == top ? kLaneNumbers : Doubles{} + 8.0);  // first with the top
  const auto lead = kLaneNumbers == lead_lane;
  EstimateSummary summary;
  summary.min_a = fold_lesser(extremes.min_a)[0];
  summary.min_b = fold_lesser(extremes.min_b)[0];
  summary.max_abs_num = fold_greater(extremes.max_abs_num)[0];
  summary.top = top[0];
  // The lead lane's second, and every other lane's top: a tie with the top makes second = top.
  summary.second = fold_greater(lead ? extremes.second : extremes.top)[0];
  const double top_at = fold_greater(lead ? extremes.top_at : Doubles{} - 1.0)[0];
  summary.top_at = top_at >= 0.0 ? static_cast<std::size_t>(top_at) : m;
  summary.unbounded = unbounded || fold_greater(extremes.unbounded)[0] != 0.0;
  return summary;
}

// The lean pass first. Where its extremes lie inside every condition of the bounded test (each
// product a_k b_k lies between min_a min_b and max_a max_b, and rounding is monotone), every
// candidate whose parts are numbers is bounded, its NaN ones are not, and its min_a and min_b are
// at most those of the bounded candidates, above the cuts, as the spread needs; otherwise the
// pass is run again with the test lane by lane.
template <class Root>
inline __attribute__((always_inline)) EstimateSummary estimate_all(const StepRows& rows, double cut_a, double cut_b,
                                                                   double* approx, Root root) {
  const auto lean = [](const StepRows& r, Doubles x, Doubles y, Doubles at, double ca, double cb, Root rt, Extremes& e)
      __attribute__((always_inline)) {
    return estimate_lean(r, x, y, at, ca, cb, rt, e);
  };
  const auto checked = [](const StepRows& r, Doubles x, Doubles y, Doubles at, double ca, double cb, Root rt,
                          Extremes& e) __attribute__((always_inline)) {
    return estimate(r, x, y, at, ca, cb, rt, e);
  };
  Extremes extremes;
  const EstimateSummary summary = estimate_pass(rows, cut_a, cut_b, approx, lean, root, extremes);
  const double max_a = fold_greater(extremes.max_a)[0], max_b = fold_greater(extremes.max_b)[0];
  const bool all_bounded = summary.min_a > cut_a && summary.min_b > cut_b &&
                           summary.min_a * summary.min_b >= kLowestProduct && max_a * max_b <= kHighestProduct &&
                           summary.max_abs_num < kHighestNum;
  if (all_bounded) return summary;
  Extremes again;
  return estimate_pass(rows, cut_a, cut_b, approx, checked, root, again);
}

// The estimate itself, lane by lane; the compiler turns the loop into one vector square root
// (this file is compiled without errno for math functions), which every instruction set rounds
// correctly.
struct ExactRoot {
  inline __attribute__((always_inline)) Doubles operator()(Doubles num, Doubles product) const {
    for (std::size_t i = 0; i < kLanes; ++i) product[i] = std::sqrt(product[i]);
    return num / product;
  }
};

using Bytes = unsigned char __attribute__((vector_size(8)));

// The list, eight at a time: a block of eight that holds none costs one comparison. NaN passes.
inline __attribute__((always_inline)) void contenders_all(const StepRows& rows, std::span<const double> approx,
                                                          const EstimateSummary& summary, double largest, double spread,
                                                          double removed_r, Contenders& out) {
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
    Doubles rs;
    std::memcpy(&rs, approx.data() + k, sizeof rs);
    const Bytes open = __builtin_convertvector(~(rs < cutoff) & 1, Bytes);
    std::uint64_t lanes = 0;  // one byte per lane, 1 where it is listed
    std::memcpy(&lanes, &open, sizeof lanes);
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

EstimateSummary estimate_base(const StepRows& rows, double cut_a, double cut_b, double* approx) {
  return estimate_all(rows, cut_a, cut_b, approx, ExactRoot{});
}
void contenders_base(const StepRows& rows, std::span<const double> approx, const EstimateSummary& summary,
                     double largest, double spread, double removed_r, Contenders& out) {
  contenders_all(rows, approx, summary, largest, spread, removed_r, out);
}

#ifdef KOVA_X86_VARIANTS
#ifdef KOVA_WIDE_FUNCTORS
// The reciprocal square root instruction, then one product: no division, no square root. (The
// zero-masked form: the plain one starts from an undefined vector, which GCC 12 warns about.)
struct ApproxRoot {
  __attribute__((target("avx512f"))) inline Doubles operator()(Doubles num, Doubles product) const {
    return num * reinterpret_cast<Doubles>(_mm512_maskz_rsqrt14_pd(0xFF, reinterpret_cast<__m512d>(product)));
  }
};
#else
using ApproxRoot = ExactRoot;
#endif

__attribute__((target("avx512f"))) EstimateSummary estimate_512(const StepRows& rows, double cut_a, double cut_b,
                                                                double* approx) {
  return estimate_all(rows, cut_a, cut_b, approx, ApproxRoot{});
}
__attribute__((target("avx"))) EstimateSummary estimate_256(const StepRows& rows, double cut_a, double cut_b,
                                                            double* approx) {
  return estimate_all(rows, cut_a, cut_b, approx, ExactRoot{});
}
__attribute__((target("avx512f"))) void contenders_512(const StepRows& rows, std::span<const double> approx,
                                                       const EstimateSummary& summary, double largest, double spread,
                                                       double removed_r, Contenders& out) {
  contenders_all(rows, approx, summary, largest, spread, removed_r, out);
}
__attribute__((target("avx"))) void contenders_256(const StepRows& rows, std::span<const double> approx,
                                                   const EstimateSummary& summary, double largest, double spread,
                                                   double removed_r, Contenders& out) {
  contenders_all(rows, approx, summary, largest, spread, removed_r, out);
}
#endif

}  // namespace

EstimateSummary estimate_candidates(const StepRows& rows, double cut_a, double cut_b, double* approx, int width) {
  // A NaN cut bounds nothing; as an infinite one it does the same through the lanes' differences.
  if (std::isnan(cut_a) || std::isnan(cut_b)) cut_a = cut_b = kInfinity;
#ifdef KOVA_X86_VARIANTS
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
#ifdef KOVA_X86_VARIANTS
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
