#include "engine/run/console.hpp"

#include <string>

#include "common/line_layout.hpp"
#include "common/number_syntax.hpp"

namespace kova {
namespace {

using Traits = std::char_traits<char>;

void discard_line(std::streambuf& buf) {
  for (int c = buf.sgetc(); c != Traits::eof(); c = buf.snextc()) {
    if (c == '\n') {
      buf.sbumpc();
      return;
    }
  }
}

}  // namespace

std::optional<std::int32_t> ask_maximum_biclusters(std::istream& in, std::ostream& out) {
  std::streambuf* buf = in.rdbuf();
  if (buf == nullptr) return std::nullopt;
  for (;;) {
    out << kMaximumPrompt << kLineEnd << std::flush;
    int c = buf->sgetc();
    while (c != Traits::eof() && is_white_space(Traits::to_char_type(c))) c = buf->snextc();
    if (c == Traits::eof()) return std::nullopt;

    std::string text;
    if (c == '+' || c == '-') {
      text.push_back(Traits::to_char_type(c));
      c = buf->snextc();
    }
    while (c >= '0' && c <= '9') {
      text.push_back(Traits::to_char_type(c));
      c = buf->snextc();
    }
    const IntScan scan = scan_int32(text);
    if (scan.length != 0 && scan.value) {
      // The answer is a line: what follows the number on it (at least its Enter) belongs to it, and
      // must not be taken later as the Enter that closes the console window.
      discard_line(*buf);
      return scan.value;
    }

    out << (scan.length == 0 ? "Please type a whole number, such as 100."
                             : "That number is too large; type at most 2147483647.")
        << kLineEnd;
    discard_line(*buf);
  }
}

}  // namespace kova
