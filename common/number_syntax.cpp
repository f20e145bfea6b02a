#include "common/number_syntax.hpp"

#include <charconv>
#include <limits>

namespace kova {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::size_t skip_digits(std::string_view text, std::size_t i) {
  while (i < text.size() && is_digit(text[i])) ++i;
  return i;
}

// Decimal order of magnitude of a number text: positive means the value is at least 1. Only its
// sign matters, to tell overflow from underflow when the conversion reports a value out of range.
long long decimal_order(std::string_view number) {
  std::size_t i = (number[0] == '+' || number[0] == '-') ? 1 : 0;
  long long order = 0;
  bool seen_nonzero = false;
  for (; i < number.size() && is_digit(number[i]); ++i) {
    if (seen_nonzero || number[i] != '0') {
      seen_nonzero = true;
      ++order;
    }
  }
  if (i < number.size() && number[i] == '.') {
    for (++i; i < number.size() && is_digit(number[i]); ++i) {
      if (seen_nonzero) continue;
      if (number[i] != '0') seen_nonzero = true; else --order;
    }
  }
  if (i < number.size() && (number[i] == 'e' || number[i] == 'E')) {
    ++i;
    const bool negative = number[i] == '-';
    if (number[i] == '+' || number[i] == '-') ++i;
    long long exponent = 0;
    for (; i < number.size(); ++i) {
      if (exponent < 1'000'000'000) exponent = exponent * 10 + (number[i] - '0');
    }
    order += negative ? -exponent : exponent;
  }
  return order;
}

}  // namespace

RealScan scan_real(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  const std::size_t int_end = skip_digits(text, i);
  std::size_t digits = int_end - i;
  i = int_end;
  if (i < text.size() && text[i] == '.') {
    const std::size_t frac_end = skip_digits(text, i + 1);
    digits += frac_end - (i + 1);
    i = frac_end;
  }
  if (digits == 0) return {i, false};
  std::size_t end = i;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    const std::size_t exp_end = skip_digits(text, j);
    if (exp_end > j) end = exp_end;
  }
  return {end, true};
}

double real_value(std::string_view number) {
  const bool negative = !number.empty() && number[0] == '-';
  std::string_view unsigned_part = number;
  if (!number.empty() && (number[0] == '+' || number[0] == '-')) unsigned_part.remove_prefix(1);
  double value = 0.0;
  const auto [ptr, ec] = std::from_chars(unsigned_part.data(), unsigned_part.data() + unsigned_part.size(),
                                         value, std::chars_format::general);
  (void)ptr;
  if (ec == std::errc::result_out_of_range) {
    value = decimal_order(number) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return negative ? -value : value;
}

IntScan scan_int32(std::string_view text) {
  std::size_t i = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) ++i;
  const std::size_t end = skip_digits(text, i);
  if (end == i) return {};
  // Accumulate as a negative number so that INT32_MIN fits.
  long long value = 0;
  bool fits = true;
  for (std::size_t k = i; k < end; ++k) {
    value = value * 10 - (text[k] - '0');
    if (value < std::numeric_limits<std::int32_t>::min()) {
      fits = false;
      value = std::numeric_limits<std::int32_t>::min();
    }
  }
  if (!negative) {
    if (-value > std::numeric_limits<std::int32_t>::max()) fits = false;
    value = -value;
  }
  IntScan scan{end, std::nullopt};
  if (fits) scan.value = static_cast<std::int32_t>(value);
  return scan;
}

}  // namespace kova
