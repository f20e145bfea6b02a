#include "engine/model/gene_table.hpp"

#include <limits>

namespace kova {

GeneTable::GeneTable(std::int32_t genes, std::int32_t samples)
    : genes_(genes),
      samples_(samples),
      block_(static_cast<std::size_t>(genes) * static_cast<std::size_t>(samples), 0.0),
      records_(static_cast<std::size_t>(genes)) {
  for (std::size_t g = 0; g < records_.size(); ++g) {
    records_[g].values = block_.data() + g * static_cast<std::size_t>(samples);
  }
}

std::uint64_t GeneTable::bytes_needed(std::int32_t genes, std::int32_t samples) {
  const std::uint64_t g = genes < 0 ? 0 : static_cast<std::uint64_t>(genes);
  const std::uint64_t s = samples < 0 ? 0 : static_cast<std::uint64_t>(samples);
  const std::uint64_t per_gene = s * sizeof(double) + sizeof(GeneRecord);
  // Both factors are below 2^37, so the product fits 64 bits.
  return g * per_gene;
}

}  // namespace kova
