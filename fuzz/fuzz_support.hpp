#pragma once
// What the fuzz targets share: a failed check that stops the run loudly, a FILE over fuzzed bytes,
// and an oracle for the number grammar built on the C library instead of our own scanner.

#include <regex.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace kova::fuzz {

// A property of the code under test does not hold: report it and abort so that libFuzzer (or the
// corpus replay) records the input as a finding.
inline void check(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

// Takes parameters off the front of the fuzzed bytes; what is left is the text under test.
class ByteSource {
 public:
  ByteSource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t take() {
    if (size_ == 0) return 0;
    --size_;
    return *data_++;
  }
  std::string rest() const { return {reinterpret_cast<const char*>(data_), size_}; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// A read-only stream over `bytes`, which must outlive it; a temporary file for no bytes at all,
// where a memory stream cannot be opened.
inline FilePtr memory_file(const std::string& bytes) {
  if (bytes.empty()) return FilePtr(std::tmpfile());
  return FilePtr(fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "rb"));
}

inline bool is_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The number grammar as an extended regular expression; POSIX matching is leftmost-longest, so
// the match is the longest prefix that is a number.
struct GrammarMatch {
  std::size_t length = 0;  // characters a formatted read consumes
  bool is_number = false;
};

inline GrammarMatch match_number(std::string_view piece) {
  struct Compiled {
    regex_t number;
    regex_t lone;  // what a read consumes where no digit comes: a sign and/or a full stop
    Compiled() {
      regcomp(&number, "^[+-]?([0-9]+[.]?[0-9]*|[.][0-9]+)([eE][+-]?[0-9]+)?", REG_EXTENDED);
      regcomp(&lone, "^[+-]?[.]?", REG_EXTENDED);
    }
  };
  static Compiled compiled;
  const std::string text(piece);  // a NUL byte ends the text, as it ends any number
  regmatch_t m[1];
  if (regexec(&compiled.number, text.c_str(), 1, m, 0) == 0) return {static_cast<std::size_t>(m[0].rm_eo), true};
  if (regexec(&compiled.lone, text.c_str(), 1, m, 0) == 0) return {static_cast<std::size_t>(m[0].rm_eo), false};
  return {};
}

// The C library's value for a number text, the reference for every value the engine reads.
inline double c_library_value(std::string_view number) {
  const std::string text(number);
  return std::strtod(text.c_str(), nullptr);
}

inline bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace kova::fuzz
