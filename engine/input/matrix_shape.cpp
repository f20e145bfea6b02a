#include "engine/input/matrix_shape.hpp"

#include <limits>
#include <string>
#include <vector>

#include "common/line_ends.hpp"
#include "common/number_syntax.hpp"
#include "engine/input/block_reader.hpp"

namespace kova {
namespace {

constexpr std::int64_t kLargest = std::numeric_limits<std::int32_t>::max();

class ShapeCounter {
 public:
  void feed(char c) {
    const LineEnds::Byte kind = line_ends_.classify(c);
    if (kind == LineEnds::Byte::kSecondHalf) return;
    if (kind == LineEnds::Byte::kLineEnd) {
      end_line();
    } else if (is_white_space(c)) {
      in_piece_ = false;
    } else if (!in_piece_) {
      in_piece_ = true;
      piece_bytes_ = 1;
      ++pieces_;
    } else if (++piece_bytes_ > BlockReader::kMaxPieceBytes) {
      // The loader refuses such a file too; stopping here keeps an endless device from hanging.
      throw MatrixShapeError("it holds more than " + std::to_string(BlockReader::kMaxPieceBytes >> 20) +
                             " MiB without white space, so it is no text matrix");
    }
  }

  MatrixShape finish() {
    end_line();
    if (genes_ == 0) throw MatrixShapeError("it holds no gene");
    return {static_cast<std::int32_t>(genes_), static_cast<std::int32_t>(first_pieces_ - 1)};
  }

 private:
  void end_line() {
    ++line_;
    in_piece_ = false;
    if (pieces_ == 0) return;
    if (genes_ == 0) {
      first_pieces_ = pieces_;
      first_line_ = line_;
    } else if (pieces_ != first_pieces_) {
      throw MatrixShapeError("line " + std::to_string(line_) + " holds " + std::to_string(pieces_ - 1) +
                             " values, but line " + std::to_string(first_line_) + " holds " +
                             std::to_string(first_pieces_ - 1));
    }
    if (pieces_ - 1 > kLargest) throw MatrixShapeError("a line holds more values than fit a 32-bit integer");
    if (++genes_ > kLargest) throw MatrixShapeError("it holds more lines than fit a 32-bit integer");
    pieces_ = 0;
  }

  LineEnds line_ends_;
  std::int64_t line_ = 0;
  std::int64_t pieces_ = 0;  // on the current line
  bool in_piece_ = false;
  std::size_t piece_bytes_ = 0;
  std::int64_t genes_ = 0;
  std::int64_t first_pieces_ = 0;
  std::int64_t first_line_ = 0;
};

}  // namespace

MatrixShape count_matrix_shape(std::FILE* file) {
  ShapeCounter counter;
  std::vector<char> block(std::size_t{1} << 20);
  for (;;) {
    const std::size_t read = std::fread(block.data(), 1, block.size(), file);
    for (std::size_t k = 0; k < read; ++k) counter.feed(block[k]);
    if (read < block.size()) break;
  }
  if (std::ferror(file)) throw MatrixShapeError("reading failed");
  return counter.finish();
}

}  // namespace kova
