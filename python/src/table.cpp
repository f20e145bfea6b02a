#include "table.hpp"

#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>

namespace kova_python {

namespace {

// The engine's own limit (a run's table is indexed by 32-bit numbers), judged before allocating.
kova::GeneTable checked_table(std::int32_t genes, std::int32_t samples) {
  if (static_cast<std::int64_t>(genes) * samples > std::numeric_limits<std::int32_t>::max()) {
    throw std::length_error("the matrix of " + std::to_string(genes) + " genes x " + std::to_string(samples) +
                            " samples is too large: at most 2147483647 values are supported");
  }
  return kova::GeneTable(genes, samples);
}

}  // namespace

Table::Table(std::int32_t genes, std::int32_t samples) : table_(checked_table(genes, samples)) {}

void Table::set_names(const std::vector<py::bytes>& names) {
  if (names.size() != static_cast<std::size_t>(genes())) throw std::invalid_argument("one name per gene is needed");
  for (std::size_t g = 0; g < names.size(); ++g) table_[static_cast<std::int32_t>(g)].name = std::string(names[g]);
}

std::vector<py::bytes> Table::names() const {
  std::vector<py::bytes> names;
  names.reserve(static_cast<std::size_t>(genes()));
  for (std::int32_t g = 0; g < genes(); ++g) names.emplace_back(table_[g].name);
  return names;
}

void Table::set_rows(std::int32_t first_gene, const Doubles& block) {
  if (block.ndim() != 2 || block.shape(1) != samples() || first_gene < 0 || block.shape(0) > genes() - first_gene) {
    throw std::invalid_argument("a block of rows that does not fit the table");
  }
  const auto rows = static_cast<std::int32_t>(block.shape(0));
  for (std::int32_t r = 0; r < rows; ++r) {
    std::memcpy(table_[first_gene + r].values, block.data(r, 0), sizeof(double) * static_cast<std::size_t>(samples()));
  }
}

void Table::add_entries(std::int32_t first_major, const Indices& indptr, const Indices& indices, const Doubles& values,
                        bool major_is_gene) {
  const std::int64_t majors = indptr.size() - 1;
  const std::int64_t major_count = major_is_gene ? genes() : samples();
  const std::int64_t minor_count = major_is_gene ? samples() : genes();
  if (majors < 0 || first_major < 0 || majors > major_count - first_major || indices.size() != values.size()) {
    throw std::invalid_argument("a sparse block that does not fit the table");
  }
  const std::int64_t* pointers = indptr.data();
  const std::int64_t* minors = indices.data();
  const double* entries = values.data();
  const std::int64_t base = pointers[0];
  for (std::int64_t m = 0; m < majors; ++m) {
    const std::int64_t begin = pointers[m] - base;
    const std::int64_t end = pointers[m + 1] - base;
    if (begin < 0 || end < begin || end > indices.size()) throw std::invalid_argument("a sparse block out of order");
    const auto major = static_cast<std::int32_t>(first_major + m);
    for (std::int64_t p = begin; p < end; ++p) {
      const std::int64_t minor = minors[p];
      if (minor < 0 || minor >= minor_count) throw std::invalid_argument("a sparse entry outside the matrix");
      const auto other = static_cast<std::int32_t>(minor);
      if (major_is_gene) {
        table_[major].values[other] += entries[p];
      } else {
        table_[other].values[major] += entries[p];
      }
    }
  }
}

Doubles Table::values() const {
  Doubles values({static_cast<py::ssize_t>(genes()), static_cast<py::ssize_t>(samples())});
  for (std::int32_t g = 0; g < genes(); ++g) {
    std::memcpy(values.mutable_data(g, 0), table_[g].values, sizeof(double) * static_cast<std::size_t>(samples()));
  }
  return values;
}

}  // namespace kova_python
