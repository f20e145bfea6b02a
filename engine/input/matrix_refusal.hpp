#pragma once
// Why the matrix loader refuses a file, said so that the user knows what to change: the line, the
// piece, and what the piece most likely is (a header, a missing value, a decimal comma, a wrong
// number of samples).

#include <cstdint>
#include <string_view>

#include "engine/input/block_reader.hpp"
#include "engine/input/matrix_error.hpp"

namespace kova {

enum class PieceFault {
  kNoNumber,     // not wholly a number where a value is due
  kBeyondRange,  // a number beyond the range of a double
};

// The refusal of `piece`, the piece `in` peeked last, where a value of the gene whose name is on
// line `name_line` is due. Reads lines of the file again to describe them; no piece is read after.
MatrixFormatError refuse_piece(BlockReader& in, std::string_view piece, std::int64_t name_line, std::int32_t samples,
                               PieceFault fault);

// Refuses UTF-16 and UTF-32 text (by its byte order mark, or NUL bytes near the start) and skips a
// UTF-8 byte order mark. Called before the first piece is read.
void check_encoding(BlockReader& in);

}  // namespace kova
