#include "bench/piece_by_piece_loader.hpp"

#include <cstring>
#include <string_view>
#include <vector>

#include "common/number_syntax.hpp"
#include "kova/matrix.hpp"

namespace kova::bench {
namespace {

class PieceReader {
 public:
  explicit PieceReader(std::FILE* file) : file_(file), buffer_(std::size_t{1} << 20) {}

  std::string_view peek_piece() {
    for (;;) {
      while (begin_ < end_ && is_white_space(buffer_[begin_])) ++begin_;
      if (begin_ < end_ || !refill()) break;
    }
    std::size_t stop = begin_;
    for (;;) {
      while (stop < end_ && !is_white_space(buffer_[stop])) ++stop;
      if (stop < end_) break;
      const std::size_t scanned = stop - begin_;
      if (scanned > BlockReader::kMaxPieceBytes) {
        bad_ = at_end_ = true;
        begin_ = end_;
        return {};
      }
      const bool more = refill();
      stop = begin_ + scanned;
      if (!more) break;
    }
    return {buffer_.data() + begin_, stop - begin_};
  }
  void consume(std::size_t count) { begin_ += count; }
  bool bad() const { return bad_; }

 private:
  bool refill() {
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
      bad_ = bad_ || std::ferror(file_) != 0;
      return false;
    }
    return true;
  }

  std::FILE* file_;
  std::vector<char> buffer_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool at_end_ = false;
  bool bad_ = false;
};

}  // namespace

bool load_piece_by_piece(std::FILE* file, GeneTable& table) {
  PieceReader in(file);
  for (std::int32_t gene = 0; gene < table.genes(); ++gene) {
    GeneRecord& record = table[gene];
    const std::string_view name = in.peek_piece();
    record.name.assign(name);
    in.consume(name.size());
    for (std::int32_t s = 0; s < table.samples(); ++s) {
      const std::string_view piece = in.peek_piece();
      const RealScan scan = scan_real(piece);
      if (scan.length == 0) break;
      if (scan.is_number) record.values[s] = real_value(piece.substr(0, scan.length));
      in.consume(scan.length);
    }
  }
  return !in.bad();
}

}  // namespace kova::bench
