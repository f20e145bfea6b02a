// Fuzz target: both run description files. The bytes are read as the first file (input path,
// then output path, from one stream) and as the second file (genes, samples, threshold); each
// result is held against a plain reading of the same bytes with the C library.

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "common/run_description_reader.hpp"
#include "fuzz/fuzz_support.hpp"

namespace kova::fuzz {
namespace {

std::vector<std::string> pieces_of(const std::string& bytes) {
  std::vector<std::string> pieces;
  std::size_t i = 0;
  while (i < bytes.size()) {
    while (i < bytes.size() && is_space(bytes[i])) ++i;
    const std::size_t start = i;
    while (i < bytes.size() && !is_space(bytes[i])) ++i;
    if (i > start) pieces.push_back(bytes.substr(start, i - start));
  }
  return pieces;
}

struct JoinedPath {
  std::optional<std::string> path;
  bool too_long = false;
};

// Joins pieces from `next` on up to the first that holds a '.'; nothing if the pieces run out.
JoinedPath joined_path(const std::vector<std::string>& pieces, std::size_t& next) {
  std::string path;
  while (next < pieces.size()) {
    if (!path.empty()) path += ' ';
    path += pieces[next];
    if (path.size() > kMaxPathLength) return {std::nullopt, true};
    if (pieces[next++].find('.') != std::string::npos) return {path, false};
  }
  return {};
}

// Reads one path as the engine does; a refusal is reported as too_long.
JoinedPath read_path(std::istream& file) {
  try {
    return {read_joined_path(file), false};
  } catch (const RunDescriptionError&) {
    return {std::nullopt, true};
  }
}

void check_outinfo(const std::string& bytes) {
  const std::vector<std::string> pieces = pieces_of(bytes);
  std::size_t next = 0;
  const JoinedPath input = joined_path(pieces, next);

  std::istringstream file(bytes);
  const JoinedPath got_input = read_path(file);
  check(got_input.path == input.path && got_input.too_long == input.too_long,
        "input path differs from the plain reading");
  if (!got_input.path) return;  // the engine stops here
  const JoinedPath output = joined_path(pieces, next);
  const JoinedPath got_output = read_path(file);
  check(got_output.path == output.path && got_output.too_long == output.too_long,
        "output path differs from the plain reading");
}

struct ExpectedSize {
  RunSize size;
  std::string refused_entry;  // empty: the read succeeds; else the entry the refusal names
};

// A whole "%d" piece: an optional sign and digits and nothing else, within 32 bits.
bool plain_int(const std::vector<std::string>& pieces, std::size_t index, std::int32_t& value) {
  if (index >= pieces.size() || pieces[index].size() > 4096) return false;
  const std::string& piece = pieces[index];
  std::size_t i = (piece[0] == '+' || piece[0] == '-') ? 1 : 0;
  const std::size_t digits = i;
  while (i < piece.size() && piece[i] >= '0' && piece[i] <= '9') ++i;
  if (i == digits || i != piece.size()) return false;
  errno = 0;
  const long long wide = std::strtoll(piece.c_str(), nullptr, 10);
  if (errno == ERANGE || wide < std::numeric_limits<std::int32_t>::min() ||
      wide > std::numeric_limits<std::int32_t>::max()) {
    return false;
  }
  value = static_cast<std::int32_t>(wide);
  return true;
}

ExpectedSize plain_size(const std::string& bytes) {
  const std::vector<std::string> pieces = pieces_of(bytes);
  ExpectedSize expected;
  if (!plain_int(pieces, 0, expected.size.genes)) {
    expected.refused_entry = "the number of genes";
    return expected;
  }
  if (!plain_int(pieces, 1, expected.size.samples)) {
    expected.refused_entry = "the number of samples";
    return expected;
  }
  const std::string threshold = pieces.size() > 2 ? pieces[2] : "";
  const GrammarMatch match = match_number(threshold);
  double value = 0.0;
  if (match.is_number && match.length == threshold.size() && threshold.size() <= 4096) {
    value = c_library_value(threshold);
  }
  if (!match.is_number || match.length != threshold.size() || threshold.size() > 4096 || !(std::fabs(value) <= 1.0)) {
    expected.refused_entry = "the correlation threshold";
    return expected;
  }
  expected.size.threshold = value;
  return expected;
}

void check_doutinfo(const std::string& bytes) {
  const ExpectedSize expected = plain_size(bytes);
  std::istringstream file(bytes);
  try {
    const RunSize got = read_run_size(file);
    check(expected.refused_entry.empty(), "a malformed size was accepted");
    check(got.genes == expected.size.genes, "number of genes differs from strtoll");
    check(got.samples == expected.size.samples, "number of samples differs from strtoll");
    check(same_bits(got.threshold, expected.size.threshold), "threshold differs from strtod");
  } catch (const RunDescriptionError& e) {
    check(!expected.refused_entry.empty(), "a good size was refused");
    check(std::string(e.what()).rfind(expected.refused_entry, 0) == 0, "a size was refused naming the wrong entry");
  }
}

}  // namespace
}  // namespace kova::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  kova::fuzz::check_outinfo(bytes);
  kova::fuzz::check_doutinfo(bytes);
  return 0;
}
