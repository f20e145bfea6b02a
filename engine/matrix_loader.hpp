#pragma once
// Loads an expression matrix: per gene one name and `samples` values, white-space separated.

#include <cstdint>
#include <stdexcept>

#include "engine/block_reader.hpp"
#include "engine/gene_table.hpp"

namespace kova {

class MatrixReadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Where the file ran out, for callers that must tell a short matrix from a complete one.
struct MatrixLoadSummary {
  // The gene whose name or values were still due when the file ended; -1 when none was.
  std::int32_t ended_in_gene = -1;
};

// Fills `table` from `in` with the formatted-read rules: a lone sign or full stop is consumed as 0;
// a piece that starts a number gives the number and leaves the rest; a piece that cannot start a
// number ends the gene's values (they stay 0) and becomes the next name; an early end of the file
// leaves empty names and zeros. Throws MatrixReadError when reading the file fails or a piece is
// too long for any text matrix.
MatrixLoadSummary load_matrix(BlockReader& in, GeneTable& table);

}  // namespace kova
