#pragma once
// Reads a text file in large blocks and hands out white-space separated pieces.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
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
  // Reads until at least `count` characters are buffered or the file ends, consuming nothing.
  std::string_view fill(std::size_t count);
  // Where the next unconsumed character is: its line (1-based) and its column (0-based, in
  // bytes). Counted only when asked, over what was consumed since.
  std::int64_t line();
  std::int64_t column();
  // Lines `first` to `last` (1-based) read again from where this reader started, for messages
  // about them; each cut after kMaxPieceBytes. Nothing where the file cannot seek back. No piece
  // is read after this.
  std::optional<std::vector<std::string>> reread_lines(std::int64_t first, std::int64_t last);
  // True once a read of the file failed (as opposed to reaching its end).
  bool failed() const { return failed_; }
  // True once a piece longer than kMaxPieceBytes was met; reading stopped there.
  bool piece_too_long() const { return piece_too_long_; }

 private:
  // Moves what is left to the front, grows the buffer if it is full, and reads more.
  bool refill();
  // Counts the line ends in buffer_[counted_to_, end).
  void count_lines_to(std::size_t end);

  std::FILE* file_;
  std::vector<char> buffer_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool at_end_ = false;
  bool failed_ = false;
  bool piece_too_long_ = false;
  long start_offset_ = -1;        // where the file stood when reading began; -1: cannot tell
  std::uint64_t discarded_ = 0;   // characters moved out of the buffer before buffer_[0]
  std::size_t counted_to_ = 0;    // line ends in buffer_[0, counted_to_) are counted
  std::int64_t line_ends_ = 0;    // line ends counted so far
  std::uint64_t line_start_ = 0;  // offset from the start of reading where the current line begins
};

}  // namespace kova
