#pragma once
// The screen's decisions on a tile's sums (screen_tile.hpp), for every instruction set: the
// formulas the bounds state (screen_bounds.hpp), a vector of the set's own size at a time, each
// lane's verdict one bit.
//
// `Isa`, an instruction set's traits, gives:
//   Floats: the vector of the decisions in single precision;
//   Doubles: that of the decision in double, and WidenedFloats, as many floats as it has lanes;
//   widened(floats), where it has one instruction for what GCC 12 does in halves: them as Doubles;
//   kOrder: how its sums run (ScreenSumOrder);
//   bits(mask): the lanes of a comparison's mask of Floats or of Doubles as bits, lane i bit i.

#include <cstring>
#include <type_traits>

#include "engine/bounds/screen_bounds.hpp"
#include "engine/kernels/generic/vectors.hpp"
#include "engine/kernels/kernel_set.hpp"

namespace kova::kernels::generic {

inline constexpr std::size_t kW = kTileLanes;

// The sums as the compiler may take them, aligned as TileSums is: called through the kernel
// table, a kernel cannot see that from its callers, and would copy the sums through the stack.
template <class Isa, class Sums>
inline __attribute__((always_inline)) Sums& aligned(Sums& sums) {
  return *static_cast<Sums*>(__builtin_assume_aligned(&sums, alignof(TileSums)));
}

// Each lane's sums over all the columns added up.
struct AddedSums {
  const float* q;
  const float* qq;
  const float* qt;
};

// The sums of the one chain, or the two chains added up into `room`, Floats at a time.
template <class Isa>
inline __attribute__((always_inline)) AddedSums added_chains(const TileSums& unaligned, float (&room)[3][kW]) {
  const TileSums& sums = aligned<Isa>(unaligned);
  if constexpr (Isa::kOrder.chains == 1) {
    return {sums.q[0], sums.qq[0], sums.qt[0]};
  } else {
    static_assert(Isa::kOrder.chains == 2);
    using Floats = typename Isa::Floats;
    const float(*from[3])[kW] = {sums.q, sums.qq, sums.qt};
    for (std::size_t s = 0; s < 3; ++s) {
      for (std::size_t lane = 0; lane < kW; lane += kLanesOf<Floats>) {
        Floats even, odd;
        std::memcpy(&even, from[s][0] + lane, sizeof even);
        std::memcpy(&odd, from[s][1] + lane, sizeof odd);
        const Floats sum = even + odd;
        std::memcpy(room[s] + lane, &sum, sizeof sum);
      }
    }
    return {room[0], room[1], room[2]};
  }
}

// A decision in single precision on a tile's sums: over all columns, the early test, or half
// precision's on its sums widened.
template <class Isa, class Decision>
inline __attribute__((always_inline)) std::uint32_t single_bits(const AddedSums& sums, const Decision& decision) {
  using Floats = typename Isa::Floats;
  std::uint32_t bits = 0;
  for (std::size_t block = 0; block < kW; block += kLanesOf<Floats>) {
    Floats f1, f2, f3;
    std::memcpy(&f1, sums.q + block, sizeof f1);
    std::memcpy(&f2, sums.qq + block, sizeof f2);
    std::memcpy(&f3, sums.qt + block, sizeof f3);
    MaskOf<Floats> mask;
    if constexpr (std::is_same_v<Decision, HalfDecision>) {
      mask = proven_below_half(f1, f2, f3, decision);
    } else if constexpr (std::is_same_v<Decision, PrefixDecision>) {
      mask = proven_below_from_prefix(f1, f2, f3, decision);
    } else {
      mask = proven_below(f1, f2, f3, decision);
    }
    bits |= Isa::bits(mask) << block;
  }
  return bits;
}

// ScreenKernels' decisions in single precision: over all columns (a SingleDecision) and the early
// test (a PrefixDecision).
template <class Isa, class Decision>
std::uint32_t decide(const TileSums& sums, const Decision& decision) {
  float room[3][kW];
  return single_bits<Isa>(added_chains<Isa>(sums, room), decision);
}

// ScreenKernels' decision in double: the sums widened, a vector of the width's own size at a time,
// so that it stays in registers.
template <class Isa>
std::uint32_t in_double(const TileSums& sums, const ScreenDecision& decision) {
  using Doubles = typename Isa::Doubles;
  using Narrow = typename Isa::WidenedFloats;
  static_assert(kLanesOf<Doubles> == kLanesOf<Narrow>);
  float room[3][kW];
  const AddedSums added = added_chains<Isa>(sums, room);
  const auto widened = [](const float* at) __attribute__((always_inline)) {
    Narrow narrow;
    std::memcpy(&narrow, at, sizeof narrow);
    if constexpr (requires { Isa::widened(narrow); }) {
      return Isa::widened(narrow);
    } else {
      return __builtin_convertvector(narrow, Doubles);
    }
  };
  std::uint32_t bits = 0;
  for (std::size_t block = 0; block < kW; block += kLanesOf<Doubles>) {
    const auto mask =
        proven_below(widened(added.q + block), widened(added.qq + block), widened(added.qt + block), decision);
    bits |= Isa::bits(mask) << block;
  }
  return bits;
}

// An instruction set's ScreenKernels: its sums, and the generic decisions on them.
template <class Isa>
constexpr ScreenKernels screen_kernels(decltype(ScreenKernels::sums) sums) {
  return {Isa::kOrder, sums, decide<Isa, SingleDecision>, decide<Isa, PrefixDecision>, in_double<Isa>};
}

}  // namespace kova::kernels::generic
