#include "engine/candidate_estimates.hpp"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define KOVA_X86_VARIANTS 1
#endif

#include "engine/elimination_bounds.hpp"
#include "engine/vector_width.hpp"

namespace kova {
namespace {

// Every function here that takes or returns a vector is always inlined into one instruction
// set's variant, so no vector crosses a call: a vector passed between code built for different
// instructions would arrive garbled.

using Doubles = double __attribute__((vector_size(64)));
constexpr std::size_t kLanes = 8;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kLargest = std::numeric_limits<double>::max();

// One candidate, or eight: estimate_without's operations in its order, then the bounded test and
// the running extremes. Only single-condition blends, which every width vectorises.
template <class Real, class Root>
inline __attribute__((always_inline)) Real estimate(const PairSums& step, Real x, Real y, double inverse_divisor,
                                                    double cut_a, double cut_b, Root root, Real& min_a, Real& min_b,
                                                    Real& max_abs_r, Real& best) {
  const EstimateParts<Real> parts = estimate_parts(step, x, y, inverse_divisor);
  const Real a = parts.a, b = parts.b;
  const Real r = parts.num / root(a * b);
  const Real nothing = Real{} + kNaN;
  // a > cut_a and b > cut_b as one comparison: a difference of doubles is positive exactly when
  // the first is greater. (Two blends would be merged into an AND of masks, which the compiler
  // does not vectorise.) NaN in A or B makes r NaN, which the test below rejects.
  const Real margin_a = a - cut_a, margin_b = b - cut_b;
  const Real margin = margin_a < margin_b ? margin_a : margin_b;
  Real bounded = margin > 0.0 ? r : nothing;
  const Real magnitude = bounded < 0.0 ? -bounded : bounded;
  bounded = magnitude <= kLargest ? bounded : nothing;  // NaN and infinities fail
  const Real far = Real{} + kInfinity;
  const Real a_in = bounded == bounded ? a : far;
  const Real b_in = bounded == bounded ? b : far;
  min_a = a_in < min_a ? a_in : min_a;
  min_b = b_in < min_b ? b_in : min_b;
  const Real abs_bounded = bounded < 0.0 ? -bounded : bounded;
  max_abs_r = abs_bounded > max_abs_r ? abs_bounded : max_abs_r;
  best = bounded > best ? bounded : best;
  return bounded;
}

using Bytes = unsigned char __attribute__((vector_size(8)));

// Below the cutoff an estimate is more than 2 spread below the best even after the rounding of
// the subtraction (with spread 0: any estimate below the best), so it is set aside on one
// comparison: eight at a time, and a block of eight that holds no other costs nothing more. NaN
// passes on to the full test, which keeps it.
inline __attribute__((always_inline)) void contenders_all(std::span<const double> r, double best, double spread,
                                                          double removed_r, std::vector<std::size_t>& out) {
  const double twice_spread = 2.0 * spread;
  const double cutoff = best - 3.0 * spread;
  const auto full_test = [&](std::size_t k) {
    if (!(best - r[k] > twice_spread || removed_r - r[k] > spread)) out.push_back(k);
  };
  const std::size_t m = r.size();
  std::size_t k = 0;
  for (; k + kLanes <= m; k += kLanes) {
    Doubles rs;
    std::memcpy(&rs, r.data() + k, sizeof rs);
    const Bytes open = __builtin_convertvector(~(rs < cutoff) & 1, Bytes);
    std::uint64_t any = 0;
    std::memcpy(&any, &open, sizeof any);
    if (any == 0) continue;
    for (std::size_t i = 0; i < kLanes; ++i) {
      if (open[i] != 0) full_test(k + i);
    }
  }
  for (; k < m; ++k) {
    if (!(r[k] < cutoff)) full_test(k);
  }
}

void contenders_base(std::span<const double> r, double best, double spread, double removed_r,
                     std::vector<std::size_t>& out) {
  contenders_all(r, best, spread, removed_r, out);
}

struct ScalarRoot {
  double operator()(double d) const { return std::sqrt(d); }
};

template <class Root>
inline __attribute__((always_inline)) EstimateSummary estimate_all(const PairSums& step, std::span<const double> x,
                                                                   std::span<const double> y, double inverse_divisor,
                                                                   double cut_a, double cut_b, double* r, Root root) {
  const std::size_t m = x.size();
  Doubles min_a = Doubles{} + kInfinity, min_b = min_a, max_abs_r = Doubles{}, best = Doubles{} - kInfinity;
  std::size_t k = 0;
  for (; k + kLanes <= m; k += kLanes) {
    Doubles xs, ys;
    std::memcpy(&xs, x.data() + k, sizeof xs);
    std::memcpy(&ys, y.data() + k, sizeof ys);
    const Doubles out = estimate(step, xs, ys, inverse_divisor, cut_a, cut_b, root, min_a, min_b, max_abs_r, best);
    std::memcpy(r + k, &out, sizeof out);
  }
  EstimateSummary summary{kInfinity, kInfinity, 0.0, -kInfinity};
  for (std::size_t i = 0; i < kLanes; ++i) {
    summary.min_a = min_a[i] < summary.min_a ? min_a[i] : summary.min_a;
    summary.min_b = min_b[i] < summary.min_b ? min_b[i] : summary.min_b;
    summary.max_abs_r = max_abs_r[i] > summary.max_abs_r ? max_abs_r[i] : summary.max_abs_r;
    summary.best = best[i] > summary.best ? best[i] : summary.best;
  }
  for (; k < m; ++k) {
    r[k] = estimate(step, x[k], y[k], inverse_divisor, cut_a, cut_b, ScalarRoot{}, summary.min_a, summary.min_b,
                    summary.max_abs_r, summary.best);
  }
  return summary;
}

// Lane by lane; the compiler turns it into one vector square root (this file is compiled without
// errno for math functions), and every instruction set rounds the root correctly.
struct LaneRoot {
  inline __attribute__((always_inline)) Doubles operator()(Doubles d) const {
    for (std::size_t i = 0; i < kLanes; ++i) d[i] = std::sqrt(d[i]);
    return d;
  }
};

EstimateSummary estimate_base(const PairSums& step, std::span<const double> x, std::span<const double> y,
                              double inverse_divisor, double cut_a, double cut_b, double* r) {
  return estimate_all(step, x, y, inverse_divisor, cut_a, cut_b, r, LaneRoot{});
}

#ifdef KOVA_X86_VARIANTS
__attribute__((target("avx512f"))) void contenders_512(std::span<const double> r, double best, double spread,
                                                       double removed_r, std::vector<std::size_t>& out) {
  contenders_all(r, best, spread, removed_r, out);
}
__attribute__((target("avx"))) void contenders_256(std::span<const double> r, double best, double spread,
                                                   double removed_r, std::vector<std::size_t>& out) {
  contenders_all(r, best, spread, removed_r, out);
}
__attribute__((target("avx512f"))) EstimateSummary estimate_512(const PairSums& step, std::span<const double> x,
                                                                 std::span<const double> y, double inverse_divisor,
                                                                 double cut_a, double cut_b, double* r) {
  return estimate_all(step, x, y, inverse_divisor, cut_a, cut_b, r, LaneRoot{});
}
__attribute__((target("avx"))) EstimateSummary estimate_256(const PairSums& step, std::span<const double> x,
                                                             std::span<const double> y, double inverse_divisor,
                                                             double cut_a, double cut_b, double* r) {
  return estimate_all(step, x, y, inverse_divisor, cut_a, cut_b, r, LaneRoot{});
}
#endif

}  // namespace

EstimateSummary estimate_candidates(const PairSums& step, std::span<const double> x, std::span<const double> y,
                                    double inverse_divisor, double cut_a, double cut_b, double* r, int width) {
  // A NaN cut bounds nothing; as an infinite one it does the same through the lanes' differences.
  if (std::isnan(cut_a) || std::isnan(cut_b)) cut_a = cut_b = kInfinity;
#ifdef KOVA_X86_VARIANTS
  if (width >= 512 && widest_vectors() >= 512) return estimate_512(step, x, y, inverse_divisor, cut_a, cut_b, r);
  if (width >= 256 && widest_vectors() >= 256) return estimate_256(step, x, y, inverse_divisor, cut_a, cut_b, r);
#endif
  (void)width;
  return estimate_base(step, x, y, inverse_divisor, cut_a, cut_b, r);
}

void collect_contenders(std::span<const double> r, double best, double spread, double removed_r,
                        std::vector<std::size_t>& out, int width) {
#ifdef KOVA_X86_VARIANTS
  if (width >= 512 && widest_vectors() >= 512) return contenders_512(r, best, spread, removed_r, out);
  if (width >= 256 && widest_vectors() >= 256) return contenders_256(r, best, spread, removed_r, out);
#endif
  (void)width;
  contenders_base(r, best, spread, removed_r, out);
}

}  // namespace kova
