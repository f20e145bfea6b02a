#include "common/entry_check.hpp"

#include <charconv>
#include <cmath>

#include "common/number_syntax.hpp"

namespace kova {
namespace {

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && is_white_space(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_white_space(text.back())) text.remove_suffix(1);
  return text;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// "0,85", "-1,5", ",5": digits around one comma, as typed where a comma is the decimal separator.
bool has_decimal_comma(std::string_view text) {
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
  const std::size_t comma = text.find(',');
  if (comma == std::string_view::npos || comma + 1 == text.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i != comma && !is_digit(text[i])) return false;
  }
  return true;
}

// The shortest text that gives `value` back, for suggestions such as 0.85; '.' in every locale.
std::string shortest(double value) {
  char text[32];
  const std::to_chars_result written = std::to_chars(text, text + sizeof text, value);
  return std::string(text, written.ptr);
}

// The entry as a message can show it: control characters as '?', and cut after 40 characters.
std::string quoted(std::string_view entry) {
  constexpr std::size_t kShown = 40;
  const std::string_view text = trimmed(entry);
  std::string shown;
  for (char c : text.substr(0, kShown)) shown += (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) ? '?' : c;
  return "'" + shown + (text.size() > kShown ? "...'" : "'");
}

}  // namespace

WholeNumberEntry check_whole_number(std::string_view entry) {
  const std::string_view text = trimmed(entry);
  if (text.empty()) return {0, EntryFault::kMissing};
  const IntScan scan = scan_int32(text);
  if (scan.length == text.size()) {
    if (!scan.value) return {0, EntryFault::kTooLarge};
    return {*scan.value, EntryFault::kNone};
  }
  const RealScan real = scan_real(text);
  if (real.is_number && real.length == text.size()) return {0, EntryFault::kNotWhole};
  if (has_decimal_comma(text)) return {0, EntryFault::kNotWhole};
  if (scan.length != 0) return {0, EntryFault::kTrailingCharacters};
  return {0, EntryFault::kNoNumber};
}

ThresholdEntry check_threshold(std::string_view entry) {
  const std::string_view text = trimmed(entry);
  ThresholdEntry check;
  if (text.empty()) {
    check.fault = EntryFault::kMissing;
    return check;
  }
  const RealScan scan = scan_real(text);
  if (!scan.is_number) {
    check.fault = EntryFault::kNoNumber;
    return check;
  }
  const double value = real_value(text.substr(0, scan.length));
  if (scan.length < text.size()) {
    if (has_decimal_comma(text)) {
      std::string with_point(text);
      with_point[with_point.find(',')] = '.';
      check.fault = EntryFault::kDecimalComma;
      const double meant = real_value(with_point);
      if (std::fabs(meant) <= 1.0) check.suggestion = meant;
    } else {
      check.fault = EntryFault::kTrailingCharacters;
      if (text.substr(scan.length) == "%" && std::fabs(value) <= 100.0) check.suggestion = value / 100.0;
    }
    return check;
  }
  if (!(std::fabs(value) <= 1.0)) {
    check.fault = EntryFault::kOutOfRange;
    // "85" for 85 %: the usual slip when a threshold is typed as a percentage.
    if (value == std::trunc(value) && std::fabs(value) <= 100.0) check.suggestion = value / 100.0;
    return check;
  }
  check.value = value;
  return check;
}

std::string describe_entry(std::string_view what, std::string_view entry, const WholeNumberEntry& check) {
  const std::string name(what);
  switch (check.fault) {
    case EntryFault::kNone:
      return "";
    case EntryFault::kMissing:
      return name + " is missing";
    case EntryFault::kNotWhole:
      return name + " " + quoted(entry) + " is not a whole number";
    case EntryFault::kTrailingCharacters:
      return name + " " + quoted(entry) + " is not a whole number: a number followed by other characters";
    case EntryFault::kTooLarge:
      return name + " " + quoted(entry) + " does not fit a 32-bit integer";
    default:
      return name + " " + quoted(entry) + " is not a whole number";
  }
}

std::string describe_entry(std::string_view what, std::string_view entry, const ThresholdEntry& check) {
  const std::string name(what);
  const std::string meant = check.suggestion ? ": did you mean " + shortest(*check.suggestion) + "?" : "";
  switch (check.fault) {
    case EntryFault::kNone:
      return "";
    case EntryFault::kMissing:
      return name + " is missing";
    case EntryFault::kDecimalComma:
      return name + " " + quoted(entry) + " is written with a decimal comma; the decimal separator is '.'" + meant;
    case EntryFault::kTrailingCharacters:
      return name + " " + quoted(entry) + " is not a number: a number followed by other characters" + meant;
    case EntryFault::kOutOfRange:
      return name + " " + std::string(trimmed(entry)) + " lies outside -1 to 1" + meant;
    default:
      return name + " " + quoted(entry) + " is not a number";
  }
}

std::string describe_threshold(std::string_view what, double value) {
  const std::string text = std::isnan(value)   ? "nan"
                           : std::isinf(value) ? (value > 0 ? "inf" : "-inf")
                                               : shortest(value);
  return describe_entry(what, text, check_threshold(text));
}

}  // namespace kova
