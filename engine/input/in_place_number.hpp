#pragma once
// The matrix loader's common case in one pass over the reader's buffer: a piece that is a number
// as a whole, followed by white space. Everything else (a lone sign, "2.5x", a name, a piece cut
// by the end of the buffer) is left to the general piece-by-piece reading.

#include <cfloat>
#include <cstdint>
#include <string_view>

#include "common/number_syntax.hpp"

namespace kova {

struct InPlaceNumber {
  const char* end = nullptr;  // just past the number; null when the piece is not the common case
  double value = 0.0;
};

namespace in_place_detail {

inline bool is_digit(char c) { return static_cast<unsigned char>(c - '0') <= 9; }

// Every power of ten up to 10^22 is a double exactly.
inline constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                          1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
inline constexpr long long kMaxExactPower = 22;
inline constexpr std::uint64_t kMaxExactMantissa = std::uint64_t{1} << 53;
inline constexpr long long kMaxMantissaDigits = 19;  // 10^19 - 1 still fits 64 bits
inline constexpr long long kExponentCap = 100000;     // far past any double; keeps the sum small
// Arithmetic in wider registers would round twice; there every number goes to real_value.
inline constexpr bool kSingleRounding = FLT_EVAL_METHOD == 0;

}  // namespace in_place_detail

// Reads the number at `begin` when the characters from `begin` are a number by the shared grammar,
// followed by white space before `limit`. Its value is real_value's bit for bit: where digits and
// power of ten are both exact doubles, one IEEE multiplication or division rounds them correctly
// (as the conversion does); any other number goes to real_value itself.
inline InPlaceNumber read_whole_number(const char* begin, const char* limit) {
  using namespace in_place_detail;
  const char* p = begin;
  bool negative = false;
  if (p < limit && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    ++p;
  }
  std::uint64_t mantissa = 0;  // wraps past 19 digits; then unused
  const char* const whole = p;
  while (p < limit && is_digit(*p)) mantissa = mantissa * 10 + static_cast<unsigned>(*p++ - '0');
  long long digits = p - whole;
  long long fraction_digits = 0;
  if (p < limit && *p == '.') {
    const char* const fraction = ++p;
    while (p < limit && is_digit(*p)) mantissa = mantissa * 10 + static_cast<unsigned>(*p++ - '0');
    fraction_digits = p - fraction;
    digits += fraction_digits;
  }
  if (digits == 0) return {};
  long long exponent = 0;
  if (p < limit && (*p == 'e' || *p == 'E')) {
    ++p;
    bool exponent_negative = false;
    if (p < limit && (*p == '+' || *p == '-')) {
      exponent_negative = *p == '-';
      ++p;
    }
    const char* const exponent_digits = p;
    while (p < limit && is_digit(*p)) {
      if (exponent < kExponentCap) exponent = exponent * 10 + (*p - '0');
      ++p;
    }
    if (p == exponent_digits) return {};  // "1e", "1e+": the number stops before the e
    if (exponent_negative) exponent = -exponent;
  }
  // At the limit the piece may go on in the part of the file not read yet.
  if (p == limit || !is_white_space(*p)) return {};

  const long long scale = exponent - fraction_digits;
  if (!kSingleRounding || digits > kMaxMantissaDigits || mantissa > kMaxExactMantissa || scale < -kMaxExactPower ||
      scale > kMaxExactPower) {
    return {p, real_value(std::string_view(begin, static_cast<std::size_t>(p - begin)))};
  }
  const double m = static_cast<double>(mantissa);
  const double value = scale < 0 ? m / kPowersOfTen[-scale] : m * kPowersOfTen[scale];
  return {p, negative ? -value : value};
}

}  // namespace kova
