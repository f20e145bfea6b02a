#pragma once
// The engine's gene table as Python fills it: names as the bytes the files hold, values block by
// block (dense rows, or the stored entries of a sparse matrix), never the whole matrix at once.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstdint>
#include <vector>

#include "kova/matrix.hpp"

namespace kova_python {

namespace py = pybind11;

using Doubles = py::array_t<double, py::array::c_style>;
using Indices = py::array_t<std::int64_t, py::array::c_style>;

class Table {
 public:
  Table(std::int32_t genes, std::int32_t samples);
  explicit Table(kova::GeneTable table) : table_(std::move(table)) {}

  std::int32_t genes() const { return table_.genes(); }
  std::int32_t samples() const { return table_.samples(); }
  const kova::GeneTable& gene_table() const { return table_; }

  void set_names(const std::vector<py::bytes>& names);
  std::vector<py::bytes> names() const;
  // Genes first_gene, first_gene + 1, ...: one row of `block` each.
  void set_rows(std::int32_t first_gene, const Doubles& block);
  // A compressed sparse block: majors first_major ... with entries indptr[m] - indptr[0] onwards.
  // A major is a gene when major_is_gene, else a sample. Entries named twice add up, as scipy's
  // own dense copies add them.
  void add_entries(std::int32_t first_major, const Indices& indptr, const Indices& indices, const Doubles& values,
                   bool major_is_gene);
  // Every value, genes in rows: for a matrix read from a file.
  Doubles values() const;

 private:
  kova::GeneTable table_;
};

}  // namespace kova_python
