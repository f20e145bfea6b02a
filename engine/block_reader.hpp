#pragma once
// Reads a text file in large blocks and hands out white-space separated pieces.

#include <cstdio>
#include <string_view>
#include <vector>

namespace kova {

class BlockReader {
 public:
  explicit BlockReader(std::FILE* file, std::size_t block_size = std::size_t{1} << 20);

  // No text matrix holds a piece this long; a file that does (a device, a binary file) is refused
  // before its one endless piece takes all memory.
  static constexpr std::size_t kMaxPieceBytes = std::size_t{16} << 20;

  // Skips white space and returns the whole run of non-white-space characters after it, without
  // consuming it; empty at the end of the file, and from a piece longer than kMaxPieceBytes on.
  // Valid until the next call of peek_piece.
  std::string_view peek_piece();
  // The characters read from the file and not consumed yet, for scanning in place; white space
  // first, and a piece cut at the end, included. Valid until the next call of peek_piece.
  std::string_view buffered() const { return {buffer_.data() + begin_, end_ - begin_}; }
  // Consumes the first `count` characters of the piece last peeked, or of buffered().
  void consume(std::size_t count) { begin_ += count; }
  // True once a read of the file failed (as opposed to reaching its end).
  bool failed() const { return failed_; }
  // True once a piece longer than kMaxPieceBytes was met; reading stopped there.
  bool piece_too_long() const { return piece_too_long_; }

 private:
  // Moves what is left to the front, grows the buffer if it is full, and reads more.
  bool refill();

  std::FILE* file_;
  std::vector<char> buffer_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool at_end_ = false;
  bool failed_ = false;
  bool piece_too_long_ = false;
};

}  // namespace kova
