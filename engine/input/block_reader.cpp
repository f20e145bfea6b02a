#include "engine/input/block_reader.hpp"

#include <algorithm>
#include <cstring>

#include "common/number_syntax.hpp"

namespace kova {

// An empty buffer would never grow, and every file would look empty: one byte at least.
BlockReader::BlockReader(std::FILE* file, std::size_t block_size)
    : file_(file), buffer_(std::max<std::size_t>(block_size, 1)), start_offset_(std::ftell(file)) {}

void BlockReader::count_lines_to(std::size_t end) {
  const char* p = buffer_.data() + counted_to_;
  const char* const stop = buffer_.data() + end;
  while (p < stop) {
    const void* found = std::memchr(p, '\n', static_cast<std::size_t>(stop - p));
    if (found == nullptr) break;
    p = static_cast<const char*>(found) + 1;
    ++line_ends_;
    line_start_ = discarded_ + static_cast<std::uint64_t>(p - buffer_.data());
  }
  counted_to_ = end;
}

std::int64_t BlockReader::line() {
  count_lines_to(begin_);
  return line_ends_ + 1;
}

std::int64_t BlockReader::column() {
  count_lines_to(begin_);
  return static_cast<std::int64_t>(discarded_ + begin_ - line_start_);
}

std::string_view BlockReader::fill(std::size_t count) {
  while (end_ - begin_ < count && refill()) {
  }
  return buffered();
}

std::optional<std::vector<std::string>> BlockReader::reread_lines(std::int64_t first, std::int64_t last) {
  at_end_ = true;
  begin_ = end_;
  if (start_offset_ < 0 || std::fseek(file_, start_offset_, SEEK_SET) != 0) return std::nullopt;
  std::vector<std::string> lines;
  std::int64_t line = 1;
  char block[1 << 16];
  std::size_t got = 0;
  while (line <= last && (got = std::fread(block, 1, sizeof block, file_)) > 0) {
    for (std::size_t i = 0; i < got && line <= last; ++i) {
      if (line >= first) {
        if (lines.size() < static_cast<std::size_t>(line - first + 1)) lines.emplace_back();
        if (block[i] != '\n' && lines.back().size() < kMaxPieceBytes) lines.back().push_back(block[i]);
      }
      if (block[i] == '\n') ++line;
    }
  }
  if (std::ferror(file_)) return std::nullopt;
  lines.resize(static_cast<std::size_t>(last - first + 1));
  return lines;
}

bool BlockReader::refill() {
  if (at_end_) return false;
  const std::size_t left = end_ - begin_;
  if (begin_ > 0) {
    count_lines_to(begin_);
    discarded_ += begin_;
    counted_to_ = 0;
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
