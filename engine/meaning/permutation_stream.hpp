#pragma once
// The random numbers of the null matrices, defined here bit for bit: the standard library's
// engines are portable but its distributions and std::shuffle are not, so the same seed would
// permute differently with another compiler's library.

#include <array>
#include <cstdint>
#include <span>

namespace kova {

// xoshiro256** (Blackman and Vigna), its state filled by splitmix64 from one 64-bit key.
class PermutationStream {
 public:
  explicit PermutationStream(std::uint64_t key);
  std::uint64_t next();
  // A whole number uniformly from 0 to bound - 1 (bound from 1 to 2^32), without the bias of a
  // plain remainder: Lemire's multiply-and-reject on the upper 32 bits of a draw.
  std::uint32_t below(std::uint64_t bound);
  // Fisher-Yates, from the last element down.
  void shuffle(std::span<double> values);

 private:
  std::array<std::uint64_t, 4> state_;
};

// The key of null run `run` under `seed`: each run has its own stream, so runs can be made in
// any order and on any thread.
std::uint64_t null_run_key(std::uint64_t seed, std::int32_t run);

}  // namespace kova
