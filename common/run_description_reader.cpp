#include "common/run_description_reader.hpp"

#include <streambuf>

#include "common/entry_check.hpp"
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
  std::string piece = take_while(
      buf, [](char c) { return !is_white_space(c); }, limit + 1);
  if (piece.size() > limit)
    throw RunDescriptionError("a path is longer than " + std::to_string(kMaxPathLength) + " characters");
  if (piece.empty()) return std::nullopt;
  return piece;
}

// No entry of a run description is this long; reading stops there.
constexpr std::size_t kMaxEntryLength = 4096;

std::string read_entry(std::streambuf& buf, const char* what) {
  skip_white_space(buf);
  std::string entry = take_while(
      buf, [](char c) { return !is_white_space(c); }, kMaxEntryLength + 1);
  if (entry.size() > kMaxEntryLength) throw RunDescriptionError(std::string(what) + " is too long to be a number");
  return entry;
}

std::int32_t read_whole_number(std::streambuf& buf, const char* what) {
  const std::string entry = read_entry(buf, what);
  const WholeNumberEntry check = check_whole_number(entry);
  if (!check.ok()) throw RunDescriptionError(describe_entry(what, entry, check));
  return check.value;
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
  size.genes = read_whole_number(*buf, "the number of genes");
  size.samples = read_whole_number(*buf, "the number of samples");
  const char* const what = "the correlation threshold";
  const std::string entry = read_entry(*buf, what);
  const ThresholdEntry check = check_threshold(entry);
  if (!check.ok()) throw RunDescriptionError(describe_entry(what, entry, check));
  size.threshold = check.value;
  return size;
}

}  // namespace kova
