#include "engine/block_reader.hpp"

#include <algorithm>
#include <cstring>

#include "common/number_syntax.hpp"

namespace kova {

// An empty buffer would never grow, and every file would look empty: one byte at least.
BlockReader::BlockReader(std::FILE* file, std::size_t block_size)
    : file_(file), buffer_(std::max<std::size_t>(block_size, 1)) {}

bool BlockReader::refill() {
  if (at_end_) return false;
  const std::size_t left = end_ - begin_;
  if (begin_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, left);
    begin_ = 0;
    end_ = left;
  }
  if (end_ == buffer_.size()) buffer_.resize(buffer_.size() * 2);
  const std::size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
  end_ += got;
  if (got == 0) {
    at_end_ = true;
    failed_ = std::ferror(file_) != 0;
    return false;
  }
  return true;
}

std::string_view BlockReader::peek_piece() {
  for (;;) {
    while (begin_ < end_ && is_white_space(buffer_[begin_])) ++begin_;
    if (begin_ < end_ || !refill()) break;
  }
  std::size_t stop = begin_;
  for (;;) {
    while (stop < end_ && !is_white_space(buffer_[stop])) ++stop;
    if (stop < end_) break;
    const std::size_t scanned = stop - begin_;
    if (scanned > kMaxPieceBytes) {
      piece_too_long_ = true;
      at_end_ = true;
      begin_ = end_;
      return {};
    }
    const bool more = refill();  // may move the piece to the front of the buffer
    stop = begin_ + scanned;
    if (!more) break;
  }
  return {buffer_.data() + begin_, stop - begin_};
}

}  // namespace kova
