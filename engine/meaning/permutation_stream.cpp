#include "engine/meaning/permutation_stream.hpp"

#include <utility>

namespace kova {
namespace {

std::uint64_t splitmix64(std::uint64_t& state) {
  std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

std::uint64_t rotate_left(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

}  // namespace

PermutationStream::PermutationStream(std::uint64_t key) {
  for (std::uint64_t& word : state_) word = splitmix64(key);
}

std::uint64_t PermutationStream::next() {
  const std::uint64_t result = rotate_left(state_[1] * 5, 7) * 9;
  const std::uint64_t t = state_[1] << 17;
  state_[2] ^= state_[0];
  state_[3] ^= state_[1];
  state_[1] ^= state_[2];
  state_[0] ^= state_[3];
  state_[2] ^= t;
  state_[3] = rotate_left(state_[3], 45);
  return result;
}

std::uint32_t PermutationStream::below(std::uint64_t bound) {
  std::uint64_t product = (next() >> 32) * bound;
  auto low = static_cast<std::uint32_t>(product);
  if (low < bound) {
    // 2^32 mod bound: the products below it would make some results more likely than others.
    const auto rejected = static_cast<std::uint32_t>((std::uint64_t{1} << 32) % bound);
    while (low < rejected) {
      product = (next() >> 32) * bound;
      low = static_cast<std::uint32_t>(product);
    }
  }
  return static_cast<std::uint32_t>(product >> 32);
}

void PermutationStream::shuffle(std::span<double> values) {
  for (std::size_t i = values.size(); i > 1; --i) {
    const std::size_t j = below(i);
    std::swap(values[i - 1], values[j]);
  }
}

std::uint64_t null_run_key(std::uint64_t seed, std::int32_t run) {
  // Two splitmix64 steps, so that neighbouring seeds and runs give unrelated keys.
  std::uint64_t state = seed;
  const std::uint64_t mixed_seed = splitmix64(state);
  state = mixed_seed ^ static_cast<std::uint64_t>(static_cast<std::uint32_t>(run));
  return splitmix64(state);
}

}  // namespace kova
