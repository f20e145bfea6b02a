#include "engine/candidate_tile.hpp"

#include <algorithm>
#include <cstring>

#include "engine/correlation.hpp"

namespace kova {
namespace {

// Four doubles; without 256-bit instructions the compiler splits every operation in two. Either
// way each lane is its own IEEE operation.
using Lanes = double __attribute__((vector_size(32)));

inline __attribute__((always_inline)) void sums_body(const double* tile, std::span<const std::int32_t> columns,
                                                     const double* member, double* sx, double* sxx, double* sxy) {
  constexpr std::size_t kW = CandidateTile::kWidth;
  for (std::size_t block = 0; block < kW; block += 8) {
    Lanes x0 = {0, 0, 0, 0}, x1 = x0, xx0 = x0, xx1 = x0, xy0 = x0, xy1 = x0;
    for (std::size_t j = 0; j < columns.size(); ++j) {
      const double* at = tile + static_cast<std::size_t>(columns[j]) * kW + block;
      Lanes v0, v1;
      std::memcpy(&v0, at, sizeof v0);
      std::memcpy(&v1, at + 4, sizeof v1);
      const double m = member[j];
      const Lanes y = {m, m, m, m};
      x0 += v0;
      x1 += v1;
      xx0 += v0 * v0;
      xx1 += v1 * v1;
      xy0 += v0 * y;
      xy1 += v1 * y;
    }
    std::memcpy(sx + block, &x0, sizeof x0);
    std::memcpy(sx + block + 4, &x1, sizeof x1);
    std::memcpy(sxx + block, &xx0, sizeof xx0);
    std::memcpy(sxx + block + 4, &xx1, sizeof xx1);
    std::memcpy(sxy + block, &xy0, sizeof xy0);
    std::memcpy(sxy + block + 4, &xy1, sizeof xy1);
  }
}

void sums_narrow(const double* tile, std::span<const std::int32_t> columns, const double* member, double* sx,
                 double* sxx, double* sxy) {
  sums_body(tile, columns, member, sx, sxx, sxy);
}

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
__attribute__((target("avx"))) void sums_wide(const double* tile, std::span<const std::int32_t> columns,
                                               const double* member, double* sx, double* sxx, double* sxy) {
  sums_body(tile, columns, member, sx, sxx, sxy);
}
const bool kHasWide = __builtin_cpu_supports("avx");
#else
void sums_wide(const double* tile, std::span<const std::int32_t> columns, const double* member, double* sx,
               double* sxx, double* sxy) {
  sums_body(tile, columns, member, sx, sxx, sxy);
}
const bool kHasWide = false;
#endif

}  // namespace

bool wide_vectors_available() { return kHasWide; }

void tile_sums(const double* tile, std::span<const std::int32_t> columns, const double* member, double* sx,
               double* sxx, double* sxy, bool wide) {
  if (wide && kHasWide) {
    sums_wide(tile, columns, member, sx, sxx, sxy);
  } else {
    sums_narrow(tile, columns, member, sx, sxx, sxy);
  }
}

void CandidateTile::load(const GeneTable& table, std::span<const std::int32_t> genes) {
  const auto samples = static_cast<std::size_t>(table.samples());
  values_.assign(samples * kWidth, 0.0);
  size_ = genes.size();
  for (std::size_t k = 0; k < size_; ++k) {
    const double* row = table[genes[k]].values;
    for (std::size_t c = 0; c < samples; ++c) values_[c * kWidth + k] = row[c];
  }
}

// The literal r is fl(num / fl(sqrt(d))) with d = fl(A * B), and num, A, B, d here are the very
// numbers it is computed from (same operations, same order). Only with d > 0 is the sign of r
// that of num (sqrt(-0) is -0, and a negative num over it gives +inf), so for T > 0 and d > 0 a
// candidate can pass only with num > 0. With num > 0 and d > 0 the two roundings keep r within 2.01 u of num / sqrt(d),
// so num * num < T * T * d, with a relative margin of 2^-40 that swallows every rounding, proves
// r < T without a square root. Where a square could underflow the shortcut is not taken.
// Everything not proven here is decided by the exact r.
void CandidateTile::passes(const MemberCorrelation& member, double threshold, bool* pass) const {
  double sx[kWidth], sxx[kWidth], sxy[kWidth];
  tile_sums(values_.data(), member.columns(), member.values().data(), sx, sxx, sxy, true);
  const auto n = static_cast<std::int32_t>(member.columns().size());
  const double dn = static_cast<double>(n);
  const double sy = member.sy(), syy = member.syy();
  const double b = syy - (sy * sy) / dn;
  const bool prefilter = threshold > 0.0;
  const double square_threshold = threshold * threshold * (1.0 - 0x1p-40);
  bool proven_below[kWidth];
  for (std::size_t k = 0; k < kWidth; ++k) {
    const double num = sxy[k] - (sx[k] * sy) / dn;
    const double a = sxx[k] - (sx[k] * sx[k]) / dn;
    const double d = a * b;
    const double num2 = num * num;
    proven_below[k] = prefilter && d > 0.0 && (!(num > 0.0) || (num2 > 0x1p-900 && num2 < square_threshold * d));
  }
  for (std::size_t k = 0; k < size_; ++k) {
    if (proven_below[k]) {
      pass[k] = false;
      continue;
    }
    PairSums sums;
    sums.sx = sx[k];
    sums.sxx = sxx[k];
    sums.sxy = sxy[k];
    sums.sy = sy;
    sums.syy = syy;
    pass[k] = correlation(sums, n) >= threshold;
  }
}

}  // namespace kova
