#include "engine/kernels/row_move.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "engine/kernels/vector_width.hpp"

namespace kova {
namespace {

// Moves `bytes` bytes (at least one Block) from `at + step` down to `at`, step < sizeof(Block).
// Four blocks at a time, each group loaded before it is stored (a load lies past every byte stored
// before it), and the last block loaded first and stored last, so that a short move takes no loop
// of its own: the loop's varying count would cost a mispredicted branch at every step.
template <class Block>
inline __attribute__((always_inline)) void move_down_blocks(unsigned char* at, std::size_t step, std::size_t bytes) {
  constexpr std::size_t kBlock = sizeof(Block);
  Block last, a, b, c, d;  // blocks pass by address only: no vector crosses a call
  const auto load = [&](std::size_t i, Block& block) __attribute__((always_inline)) {
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
  const std::size_t first = std::min(i, end), second = std::min(i + kBlock, end),
                    third = std::min(i + 2 * kBlock, end);
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
template <class Block>
inline __attribute__((always_inline)) void move_up_blocks(unsigned char* at, std::size_t step, std::size_t bytes) {
  constexpr std::size_t kBlock = sizeof(Block);
  Block first, a, b, c, d;
  const auto load = [&](std::size_t i, Block& block) __attribute__((always_inline)) {
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
using Block16 = std::uint8_t __attribute__((vector_size(16)));
void move_down_base(unsigned char* at, std::size_t step, std::size_t bytes) {
  move_down_blocks<Block16>(at, step, bytes);
}
void move_up_base(unsigned char* at, std::size_t step, std::size_t bytes) { move_up_blocks<Block16>(at, step, bytes); }
#ifdef KOVA_X86_KERNELS
using Block32 = std::uint8_t __attribute__((vector_size(32)));
__attribute__((target("avx2"))) void move_down_256(unsigned char* at, std::size_t step, std::size_t bytes) {
  move_down_blocks<Block32>(at, step, bytes);
}
__attribute__((target("avx2"))) void move_up_256(unsigned char* at, std::size_t step, std::size_t bytes) {
  move_up_blocks<Block32>(at, step, bytes);
}
#endif

}  // namespace

void move_down(unsigned char* at, std::size_t step, std::size_t bytes, int width) {
#ifdef KOVA_X86_KERNELS
  if (width >= 256 && widest_vectors() >= 256 && bytes >= 32) return move_down_256(at, step, bytes);
#endif
  (void)width;
  if (bytes >= 16) return move_down_base(at, step, bytes);
  // A few elements: four bytes at a time (GCC on Windows is kept from making this a memmove call,
  // see engine/CMakeLists.txt).
  for (std::size_t i = 0; i < bytes; i += 4) std::memcpy(at + i, at + step + i, 4);
}

void move_up(unsigned char* at, std::size_t step, std::size_t bytes, int width) {
#ifdef KOVA_X86_KERNELS
  if (width >= 256 && widest_vectors() >= 256 && bytes >= 32) return move_up_256(at, step, bytes);
#endif
  (void)width;
  if (bytes >= 16) return move_up_base(at, step, bytes);
  for (std::size_t i = bytes; i >= 4; i -= 4) std::memcpy(at + step + i - 4, at + i - 4, 4);
}

}  // namespace kova
