#pragma once
// Why a matrix cannot be loaded; thrown by the loader and by its refusals alike.

#include <stdexcept>

namespace kova {

class MatrixReadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The file is read, but it is not a matrix the run can use as it stands: a piece that is not wholly
// a number where a value is due, a value beyond the range of a double, an empty file, UTF-16 or
// UTF-32 text. The message names the line and the piece where there is one, and what to do.
class MatrixFormatError : public MatrixReadError {
 public:
  using MatrixReadError::MatrixReadError;
};

}  // namespace kova
