#pragma once
// The size of a matrix laid out one gene per line, for callers that are not told it.

#include <cstdint>
#include <cstdio>
#include <stdexcept>

namespace kova {

class MatrixShapeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct MatrixShape {
  std::int32_t genes = 0;
  std::int32_t samples = 0;
};

// Reads `file` to its end: every line that holds a piece is one gene, and the pieces after its
// first are its values. Lines end as common/line_ends.hpp says; lines of white space only are skipped.
// Throws MatrixShapeError when two lines disagree on their number of values (naming both lines),
// when the file holds no gene, when a count does not fit 32 bits, or when reading fails.
MatrixShape count_matrix_shape(std::FILE* file);

}  // namespace kova
