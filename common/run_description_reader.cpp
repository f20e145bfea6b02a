#include "common/run_description_reader.hpp"

#include <streambuf>

#include "common/number_syntax.hpp"

namespace kova {
namespace {

using Traits = std::char_traits<char>;

void skip_white_space(std::streambuf& buf) {
  for (int c = buf.sgetc(); c != Traits::eof() && is_white_space(Traits::to_char_type(c)); c = buf.snextc()) {
  }
}

// Takes characters while `wanted` holds, without consuming the first one that does not; stops
// after `limit` characters.
template <typename Pred>
std::string take_while(std::streambuf& buf, Pred wanted, std::size_t limit = std::string::npos) {
  std::string text;
  for (int c = buf.sgetc(); c != Traits::eof() && wanted(Traits::to_char_type(c)) && text.size() < limit;
       c = buf.snextc()) {
    text.push_back(Traits::to_char_type(c));
  }
  return text;
}

std::optional<std::string> read_piece(std::streambuf& buf, std::size_t limit) {
  skip_white_space(buf);
  std::string piece = take_while(buf, [](char c) { return !is_white_space(c); }, limit + 1);
  if (piece.size() > limit) throw RunDescriptionError("a path is longer than " + std::to_string(kMaxPathLength) + " characters");
  if (piece.empty()) return std::nullopt;
  return piece;
}

bool may_continue_number(char c) {
  return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E';
}

std::int32_t read_int(std::streambuf& buf, const char* what) {
  skip_white_space(buf);
  std::string text;
  const int first = buf.sgetc();
  if (first == '+' || first == '-') {
    text.push_back(Traits::to_char_type(first));
    buf.sbumpc();
  }
  text += take_while(buf, [](char c) { return c >= '0' && c <= '9'; });
  const IntScan scan = scan_int32(text);
  if (scan.length == 0) throw RunDescriptionError(std::string(what) + " is missing or not a whole number");
  if (!scan.value) throw RunDescriptionError(std::string(what) + " does not fit a 32-bit integer");
  return *scan.value;
}

}  // namespace

std::optional<std::string> read_joined_path(std::istream& in) {
  std::streambuf* buf = in.rdbuf();
  if (buf == nullptr) return std::nullopt;
  std::optional<std::string> piece = read_piece(*buf, kMaxPathLength);
  if (!piece) return std::nullopt;
  std::string path = *piece;
  while (piece->find('.') == std::string::npos) {
    // Room for the blank and at least one more character, or the path has grown too long.
    piece = read_piece(*buf, path.size() + 1 < kMaxPathLength ? kMaxPathLength - path.size() - 1 : 0);
    if (!piece) return std::nullopt;
    path += ' ';
    path += *piece;
  }
  return path;
}

RunSize read_run_size(std::istream& in) {
  std::streambuf* buf = in.rdbuf();
  if (buf == nullptr) throw RunDescriptionError("the file could not be read");
  RunSize size;
  size.genes = read_int(*buf, "the number of genes");
  size.samples = read_int(*buf, "the number of samples");
  skip_white_space(*buf);
  const std::string text = take_while(*buf, may_continue_number);
  const RealScan scan = scan_real(text);
  if (!scan.is_number) throw RunDescriptionError("the correlation threshold is missing or not a number");
  size.threshold = real_value(std::string_view(text).substr(0, scan.length));
  return size;
}

}  // namespace kova
