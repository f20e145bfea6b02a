#pragma once
// The kernels that move values about (CopyKernels), for the instruction sets that have their own:
// a tile's columns laid out lane by lane, and rows moved by one element in blocks of a vector's
// bytes.

#include <cstring>

#include "engine/kernels/kernel_set.hpp"

namespace kova::kernels::generic {

// Lanes [first_lane, end_lane) of a tile at columns [first_column, samples), column by column, so
// that the writes run on and each row is read along its length.
template <class Isa>
void columns_one_by_one(const float* const* rows, std::size_t first_lane, std::size_t end_lane,
                        std::size_t first_column, std::size_t samples, float* out) {
  for (std::size_t c = first_column; c < samples; ++c) {
    for (std::size_t k = first_lane; k < end_lane; ++k) out[c * kTileLanes + k] = rows[k][c];
  }
}

// Moves `bytes` bytes (at least one Block) from `at + step` down to `at`, step < sizeof(Block).
// Four blocks at a time, each group loaded before it is stored (a load lies past every byte stored
// before it), and the last block loaded first and stored last, so that a short move takes no loop
// of its own: the loop's varying count would cost a mispredicted branch at every step.
template <class Isa, class Block>
inline __attribute__((always_inline)) void move_down_blocks(unsigned char* at, std::size_t step, std::size_t bytes) {
  constexpr std::size_t kBlock = sizeof(Block);
  Block last, a, b, c, d;
  const auto load = [&](std::size_t i, Block & block) __attribute__((always_inline)) {
    std::memcpy(&block, at + step + i, kBlock);
  };
  const auto store = [&](std::size_t i, const Block& block) __attribute__((always_inline)) {
    std::memcpy(at + i, &block, kBlock);
  };
  load(bytes - kBlock, last);
  std::size_t i = 0;
  for (; i + 4 * kBlock <= bytes; i += 4 * kBlock) {
    load(i, a);
    load(i + kBlock, b);
    load(i + 2 * kBlock, c);
    load(i + 3 * kBlock, d);
    store(i, a);
    store(i + kBlock, b);
    store(i + 2 * kBlock, c);
    store(i + 3 * kBlock, d);
  }
  // Fewer than four blocks left: three from i and `last` cover them. One that would reach past the
  // end is taken at the end instead, where its load may find bytes stored already, but `last` is
  // stored over it.
  const std::size_t end = bytes - kBlock;
  const auto within = [end](std::size_t from) { return from < end ? from : end; };
  const std::size_t first = within(i), second = within(i + kBlock), third = within(i + 2 * kBlock);
  load(first, a);
  load(second, b);
  load(third, c);
  store(first, a);
  store(second, b);
  store(third, c);
  store(end, last);
}

// The same upwards: `bytes` bytes from `at` up to `at + step`, from the top down, the first block
// loaded first and stored last.
template <class Isa, class Block>
inline __attribute__((always_inline)) void move_up_blocks(unsigned char* at, std::size_t step, std::size_t bytes) {
  constexpr std::size_t kBlock = sizeof(Block);
  Block first, a, b, c, d;
  const auto load = [&](std::size_t i, Block & block) __attribute__((always_inline)) {
    std::memcpy(&block, at + i, kBlock);
  };
  const auto store = [&](std::size_t i, const Block& block) __attribute__((always_inline)) {
    std::memcpy(at + step + i, &block, kBlock);
  };
  load(0, first);
  std::size_t i = bytes;  // the blocks from i up are moved
  for (; i >= 4 * kBlock; i -= 4 * kBlock) {
    load(i - kBlock, a);
    load(i - 2 * kBlock, b);
    load(i - 3 * kBlock, c);
    load(i - 4 * kBlock, d);
    store(i - kBlock, a);
    store(i - 2 * kBlock, b);
    store(i - 3 * kBlock, c);
    store(i - 4 * kBlock, d);
  }
  // Fewer than four blocks left below i: three ending at i and `first` cover them; one that would
  // reach below 0 is taken at 0, where `first` is stored over it.
  const std::size_t top = i >= kBlock ? i - kBlock : 0, middle = i >= 2 * kBlock ? i - 2 * kBlock : 0,
                    low = i >= 3 * kBlock ? i - 3 * kBlock : 0;
  load(top, a);
  load(middle, b);
  load(low, c);
  store(top, a);
  store(middle, b);
  store(low, c);
  store(0, first);
}

}  // namespace kova::kernels::generic
