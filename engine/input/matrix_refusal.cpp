#include "engine/input/matrix_refusal.hpp"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "common/number_syntax.hpp"

namespace kova {
namespace {

using namespace std::string_view_literals;

// A piece as a message shows it: control characters as '?', cut after 40 characters.
std::string shown(std::string_view piece) {
  constexpr std::size_t kShown = 40;
  std::string text = "'";
  for (char c : piece.substr(0, kShown)) text += (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) ? '?' : c;
  return text + (piece.size() > kShown ? "...'" : "'");
}

std::vector<std::string_view> pieces_of(std::string_view line) {
  std::vector<std::string_view> pieces;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && is_white_space(line[i])) ++i;
    const std::size_t start = i;
    while (i < line.size() && !is_white_space(line[i])) ++i;
    if (i > start) pieces.push_back(line.substr(start, i - start));
  }
  return pieces;
}

// 1-based place of the piece that starts at `column` among the pieces of `line`.
std::size_t piece_number(std::string_view line, std::int64_t column) {
  std::size_t number = 0;
  for (std::string_view piece : pieces_of(line)) {
    if (piece.data() - line.data() > column) break;
    ++number;
  }
  return std::max<std::size_t>(number, 1);
}

// A piece the loader takes where a value is due: a number, or one of the pieces read as 0.
bool is_value(std::string_view piece) { return scan_real(piece).length == piece.size(); }

// The number of values after a first piece that is no value; nothing when the line is not laid out
// as one name and values.
std::optional<std::size_t> values_after_a_name(std::string_view line) {
  const std::vector<std::string_view> pieces = pieces_of(line);
  if (pieces.empty() || is_value(pieces.front())) return std::nullopt;
  if (!std::all_of(pieces.begin() + 1, pieces.end(), is_value)) return std::nullopt;
  return pieces.size() - 1;
}

bool holds_no_value(std::string_view line) {
  const std::vector<std::string_view> pieces = pieces_of(line);
  return std::none_of(pieces.begin(), pieces.end(),
                      [](std::string_view p) { return scan_real(p).is_number && is_value(p); });
}

std::string lower(std::string_view text) {
  std::string low(text);
  for (char& c : low) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return low;
}

bool is_missing_value_mark(std::string_view piece) {
  static constexpr std::array kMarks = {"na"sv, "nan"sv,   "n/a"sv,     "#n/a"sv,    "null"sv, "none"sv,
                                        "?"sv,  "#num!"sv, "#value!"sv, "#div/0!"sv, "-nan"sv, "missing"sv};
  return std::find(kMarks.begin(), kMarks.end(), lower(piece)) != kMarks.end();
}

bool is_infinity(std::string_view piece) {
  std::string low = lower(piece);
  if (!low.empty() && (low[0] == '+' || low[0] == '-')) low.erase(0, 1);
  return low == "inf" || low == "infinity";
}

// "1,25" or "-0,5": digits around one comma.
bool has_decimal_comma(std::string_view piece) {
  if (!piece.empty() && (piece[0] == '+' || piece[0] == '-')) piece.remove_prefix(1);
  const std::size_t comma = piece.find(',');
  if (comma == std::string_view::npos || comma + 1 == piece.size()) return false;
  for (std::size_t i = 0; i < piece.size(); ++i) {
    if (i != comma && (piece[i] < '0' || piece[i] > '9')) return false;
  }
  return true;
}

struct Place {
  std::int64_t line;
  std::optional<std::string> text;           // the line itself, when it could be read again
  std::optional<std::string> previous_text;  // the line before it
};

std::string layout(std::int64_t line, std::size_t values, std::int32_t samples) {
  return "line " + std::to_string(line) + " holds a name and " + std::to_string(values) +
         (values == 1 ? " value" : " values") + "; the run says " + std::to_string(samples) + " samples";
}

// What the piece most likely is, and what to do about it; empty when nothing better than "no number"
// can be said.
std::string hint(std::string_view piece, const Place& at, bool first_piece_of_line, std::int64_t name_line,
                 std::int32_t samples) {
  if (is_missing_value_mark(piece)) return "a missing value? write - or 0 in its place (both are read as 0)";
  if (is_infinity(piece)) return "the matrix takes finite numbers only";
  if (has_decimal_comma(piece)) {
    std::string with_point(piece);
    with_point[with_point.find(',')] = '.';
    return "a decimal comma? the decimal separator is '.': write " + with_point;
  }
  for (char separator : {';', ','}) {
    if (piece.find(separator) != std::string_view::npos) {
      return std::string("are the pieces separated by '") + separator + "'? separate them by tabs or blanks";
    }
  }
  if (piece.find('"') != std::string_view::npos || piece.find('\'') != std::string_view::npos) {
    return "a name in quotes that holds a blank? a name cannot hold blanks: join its words, e.g. with '_'";
  }
  if (at.text && name_line == at.line && at.line == 1 && holds_no_value(*at.text)) {
    return "is line 1 a header? remove it";
  }
  if (at.text) {
    if (const auto values = values_after_a_name(*at.text); values && *values != static_cast<std::size_t>(samples)) {
      return layout(at.line, *values, samples);
    }
  }
  if (at.previous_text && first_piece_of_line && name_line == at.line - 1) {
    if (const auto values = values_after_a_name(*at.previous_text);
        values && *values != static_cast<std::size_t>(samples)) {
      return layout(at.line - 1, *values, samples);
    }
  }
  return "";
}

}  // namespace

MatrixFormatError refuse_piece(BlockReader& in, std::string_view piece_view, std::int64_t name_line,
                               std::int32_t samples, PieceFault fault) {
  const std::string piece(piece_view);  // reading the lines again reuses the buffer
  Place at{in.line(), std::nullopt, std::nullopt};
  const std::int64_t column = in.column();
  const std::int64_t first = std::max<std::int64_t>(1, at.line - 1);
  if (const auto lines = in.reread_lines(first, at.line)) {
    at.text = lines->back();
    if (lines->size() == 2) at.previous_text = lines->front();
  }
  std::string message = "line " + std::to_string(at.line);
  const std::size_t number = at.text ? piece_number(*at.text, column) : 0;
  if (number != 0) message += ", piece " + std::to_string(number);
  message += ": " + shown(piece);
  if (fault == PieceFault::kBeyondRange) {
    return MatrixFormatError(message + " is beyond the range of a double (about 1.8e308)");
  }
  message += " is no number";
  const std::string what = hint(piece, at, number == 1, name_line, samples);
  return MatrixFormatError(what.empty() ? message : message + ": " + what);
}

void check_encoding(BlockReader& in) {
  const std::string_view head = in.fill(4096);
  const auto starts = [&](std::string_view mark) { return head.substr(0, mark.size()) == mark; };
  constexpr const char* kSave = ": save it as plain text (in Excel: Text (Tab delimited))";
  if (starts("\x00\x00\xFE\xFF"sv) || starts("\xFF\xFE\x00\x00"sv))
    throw MatrixFormatError(std::string("it is UTF-32 text") + kSave);
  if (starts("\xFF\xFE"sv) || starts("\xFE\xFF"sv)) {
    throw MatrixFormatError(std::string("it is UTF-16 text (Excel's \"Unicode text\")") + kSave);
  }
  if (starts("\xEF\xBB\xBF"sv)) {
    in.consume(3);  // a UTF-8 byte order mark is no part of the first name
    return;
  }
  // UTF-16 text of Latin letters is half NUL bytes, UTF-32 three quarters; a stray NUL in a name
  // is no sign of either.
  const std::string_view start = head.substr(0, 4096);
  if (start.size() >= 2 && 4 * static_cast<std::size_t>(std::count(start.begin(), start.end(), '\0')) >= start.size()) {
    throw MatrixFormatError(std::string("it holds NUL bytes near its start, so it is no plain text: UTF-16 or UTF-32") +
                            kSave);
  }
}

}  // namespace kova
