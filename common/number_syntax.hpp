#pragma once
// The one grammar for numbers in run description files and matrices.
//
// A real number: an optional sign; digits; optionally '.' and digits; at least one digit in all;
// then, only after a digit, optionally an exponent (e or E, an optional sign, digits). '.' is the
// decimal separator whatever the locale; inf, nan and hexadecimal forms are not numbers.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace kova {

struct RealScan {
  std::size_t length = 0;  // characters a formatted read consumes here; 0: none (no number can start)
  bool is_number = false;  // false: the consumed characters are a lone sign and/or full stop
};

// Scans the start of `text`, which must not start with white space. The number is the longest
// prefix that fits the grammar; "2.5x" gives 2.5 and leaves "x".
RealScan scan_real(std::string_view text);

// The nearest double to a text that scan_real accepted whole as a number, exactly as the C
// library's conversion rounds it (subnormals and underflow to zero included; overflow gives
// infinity). Independent of the locale.
double real_value(std::string_view number);

struct IntScan {
  std::size_t length = 0;          // characters consumed; 0: no integer here
  std::optional<std::int32_t> value;  // empty when the digits do not fit a signed 32-bit integer
};

// An optionally signed decimal integer at the start of `text` (no leading white space).
IntScan scan_int32(std::string_view text);

inline bool is_white_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace kova
