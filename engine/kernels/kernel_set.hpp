#pragma once
// The kernels of one vector width, as the dispatcher (vector_width.cpp) hands them out. Each
// instruction set's kernels are built in a file of their own (kernels/isa/), with that set's
// compiler options (sources.txt), from the generic definitions they share (kernels/generic/):
//   - No function built for wide vectors may stand in, at link time, for one that code built for
//     fewer instructions calls. So every generic template takes the instruction set's traits, which
//     its file declares in an unnamed namespace, as its first argument: its instantiations are
//     local to that file. What the kernels take from other rooms is plain data, or functions that
//     are always inlined, and nothing of the standard library's but its types.
//     (tests/engine/kernel_symbols_test.sh checks the objects.)
//   - The functions below take and give no vectors, only pointers and scalars: a vector passed
//     between code built for different instructions would arrive garbled.

#include <cstddef>
#include <cstdint>

#include "engine/bounds/screen_bounds.hpp"
#include "engine/kernels/candidate_estimates.hpp"
#include "engine/model/correlation.hpp"

// The x86 instruction sets' kernels (kernels/isa/avx*.cpp) exist with GCC or clang on x86, where
// sources.txt builds them; elsewhere only the baseline.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define KOVA_X86_KERNELS 1
#endif

namespace kova {

// Candidates per screen tile; a multiple of 16.
inline constexpr std::size_t kTileLanes = 32;

// A tile's screen sums per lane, in up to two chains (ScreenSumOrder; the widths with one leave the
// second alone), kept in memory so that they can be decided on after the early test's columns and
// then carried on over the rest.
struct alignas(64) TileSums {
  float q[2][kTileLanes], qq[2][kTileLanes], qt[2][kTileLanes];
};

// How a width adds up each lane's sums: in `chains` sums over every chains-th column, added at the
// end, and whether each product is fused with its addition.
struct ScreenSumOrder {
  int chains;
  bool fused;
};

// A step of column elimination as the kernels take it (StepRows without its spans).
struct StepColumns {
  PairSums step;
  const double* x;
  const double* y;
  std::size_t count;
  double inverse_divisor;
};

// Moving values about: a tile's columns laid out (screen_columns, screen_tile.hpp) and rows of at
// least 16 bytes moved by one element (row_move.hpp).
struct CopyKernels {
  void (*tile_columns)(const float* const* rows, std::size_t samples, float* out);
  void (*move_down)(unsigned char* at, std::size_t step, std::size_t bytes);
  void (*move_up)(unsigned char* at, std::size_t step, std::size_t bytes);
};

// The screen of a tile against one member (screen_tile.hpp). Each decision gives bit k for lane k
// where it proves that candidate below the threshold.
struct ScreenKernels {
  ScreenSumOrder order;
  // The single-precision sums of q, q*q and q*t per lane over `count` columns, t the member's values
  // in the columns' order. With `carry_on`, carries on from `sums`, which an even number of columns
  // went into.
  void (*sums)(const float* tile, const std::int32_t* columns, std::size_t count, const float* member, TileSums& sums,
               bool carry_on);
  // The decision over all columns in single precision, the early test, and the decision in double.
  std::uint32_t (*single)(const TileSums& sums, const SingleDecision& decision);
  std::uint32_t (*early)(const TileSums& sums, const PrefixDecision& decision);
  std::uint32_t (*in_double)(const TileSums& sums, const ScreenDecision& decision);
};

// Half precision: values rounded to it (to nearest, ties to even) as bits, and the screen of a tile
// in it against a member's values so rounded, at most kHalfMostColumns.
struct HalfKernels {
  void (*to_half)(const float* values, std::size_t count, std::uint16_t* out);
  std::uint32_t (*screen)(const std::uint16_t* tile, const std::int32_t* columns, std::size_t count,
                          const std::uint16_t* member, const HalfDecision& decision);
};

// How many contenders collect_contenders (candidate_estimates.hpp) found, and the best estimate.
struct ContenderCount {
  std::size_t count;
  double best;
};

// Column elimination (candidate_estimates.hpp, exact_candidates.hpp).
struct EliminationKernels {
  EstimateSummary (*estimate)(const StepColumns& rows, double cut_a, double cut_b, double* approx);
  // collect_contenders with the list's cutoff, into `index` and `r`, room for every candidate.
  ContenderCount (*contenders)(const StepColumns& rows, const double* approx, double cutoff, double spread,
                               double removed_r, std::size_t* index, double* r);
  void (*exact)(const double* x, const double* y, std::size_t m, const std::size_t* positions, std::size_t count,
                std::int32_t divisor, double* r);
};

struct KernelSet {
  int width;  // 512, 256 or 0 (the baseline)
  const CopyKernels* copies;
  const ScreenKernels* screen;
  const HalfKernels* half;  // where the width screens in half precision, else null
  const EliminationKernels* elimination;
};

// The set in use: the widest, unless use_vector_width (vector_width.hpp) chose another.
const KernelSet& kernels_in_use();
// The widest set this processor has that is not wider than `width`.
const KernelSet& kernels_at(int width);

}  // namespace kova
