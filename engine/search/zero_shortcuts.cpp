#include "engine/search/zero_shortcuts.hpp"

#include <bit>

namespace kova {

NonZeroColumns::NonZeroColumns(const GeneTable& table)
    : words_((static_cast<std::size_t>(table.samples()) + 63) / 64),
      masks_(words_ * static_cast<std::size_t>(table.genes()), 0),
      counts_(static_cast<std::size_t>(table.genes()), 0) {
  for (std::int32_t g = 0; g < table.genes(); ++g) {
    std::uint64_t* mask = masks_.data() + static_cast<std::size_t>(g) * words_;
    const auto row = table.row(g);
    for (std::size_t s = 0; s < row.size(); ++s) {
      if (row[s] != 0.0) {
        mask[s / 64] |= std::uint64_t{1} << (s % 64);
        ++counts_[static_cast<std::size_t>(g)];
      }
    }
  }
}

bool NonZeroColumns::may_yield(std::int32_t a, std::int32_t b) const {
  if (!may_yield(a) || !may_yield(b)) return false;
  const std::uint64_t* ma = masks_.data() + static_cast<std::size_t>(a) * words_;
  const std::uint64_t* mb = masks_.data() + static_cast<std::size_t>(b) * words_;
  int shared = 0;
  for (std::size_t w = 0; w < words_; ++w) {
    shared += std::popcount(ma[w] & mb[w]);
    if (shared >= 3) return true;
  }
  return false;
}

void NonZeroColumns::column_mask(std::span<const std::int32_t> flags, std::vector<std::uint64_t>& mask) const {
  mask.assign(words_, 0);
  for (std::size_t s = 0; s < flags.size(); ++s) {
    if (flags[s] != 0) mask[s / 64] |= std::uint64_t{1} << (s % 64);
  }
}

bool NonZeroColumns::zero_over(std::int32_t gene, std::span<const std::uint64_t> mask) const {
  const std::uint64_t* gene_mask = masks_.data() + static_cast<std::size_t>(gene) * words_;
  for (std::size_t w = 0; w < words_; ++w) {
    if ((gene_mask[w] & mask[w]) != 0) return false;
  }
  return true;
}

}  // namespace kova
