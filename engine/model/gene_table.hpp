#pragma once
// The gene table: names, and every row of sample values in one contiguous block.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kova {

struct GeneRecord {
  std::string name;        // as read from the matrix, held whole whatever its length
  double* values = nullptr;  // this gene's row: `samples` doubles inside the table's block
};

class GeneTable {
 public:
  // All names empty and all values 0. Throws std::bad_alloc where the block cannot be had.
  GeneTable(std::int32_t genes, std::int32_t samples);
  GeneTable(const GeneTable&) = delete;
  GeneTable& operator=(const GeneTable&) = delete;
  GeneTable(GeneTable&&) = default;
  GeneTable& operator=(GeneTable&&) = default;

  std::int32_t genes() const { return genes_; }
  std::int32_t samples() const { return samples_; }
  GeneRecord& operator[](std::int32_t gene) { return records_[static_cast<std::size_t>(gene)]; }
  const GeneRecord& operator[](std::int32_t gene) const { return records_[static_cast<std::size_t>(gene)]; }
  std::span<const double> row(std::int32_t gene) const {
    return {records_[static_cast<std::size_t>(gene)].values, static_cast<std::size_t>(samples_)};
  }

  // Bytes the table needs for `genes` x `samples`, saturating instead of overflowing.
  static std::uint64_t bytes_needed(std::int32_t genes, std::int32_t samples);

 private:
  std::int32_t genes_;
  std::int32_t samples_;
  std::vector<double> block_;
  std::vector<GeneRecord> records_;
};

}  // namespace kova
