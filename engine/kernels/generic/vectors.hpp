#pragma once
// The vectors the kernels compute in, named by their lanes: the vector extensions of GCC and
// clang, which each instruction set's file compiles into its own instructions (or, where a file's
// instructions hold fewer lanes, into several of them).

#include <cstddef>
#include <cstdint>

namespace kova::kernels {

using Floats2 = float __attribute__((vector_size(8)));
using Floats4 = float __attribute__((vector_size(16)));
using Floats8 = float __attribute__((vector_size(32)));
using Floats16 = float __attribute__((vector_size(64)));
using Doubles2 = double __attribute__((vector_size(16)));
using Doubles4 = double __attribute__((vector_size(32)));
using Doubles8 = double __attribute__((vector_size(64)));
// The bits of doubles, for their exponents.
using Bits2 = std::uint64_t __attribute__((vector_size(16)));
using Bits4 = std::uint64_t __attribute__((vector_size(32)));
// Blocks of bytes that the row moves copy.
using Bytes16 = std::uint8_t __attribute__((vector_size(16)));
using Bytes32 = std::uint8_t __attribute__((vector_size(32)));

// The vectors of one instruction set: of floats and of doubles, as many floats as the doubles have
// lanes, and as many 64-bit integers (where a kernel needs them).
template <class F, class D, class W, class B = void>
struct Vectors {
  using Floats = F;
  using Doubles = D;
  using WidenedFloats = W;
  using Bits = B;
};
// Those of 16-, 32- and 64-byte registers.
using Vectors16 = Vectors<Floats4, Doubles2, Floats2, Bits2>;
using Vectors32 = Vectors<Floats8, Doubles4, Floats4, Bits4>;
using Vectors64 = Vectors<Floats16, Doubles8, Floats8>;

// The mask a comparison of two V gives: lanes of all ones where it holds, else 0.
template <class V>
using MaskOf = decltype(V{} < V{});

template <class V>
inline constexpr std::size_t kLanesOf = sizeof(V) / sizeof(V{}[0]);

}  // namespace kova::kernels
