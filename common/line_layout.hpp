#pragma once
// Line layout shared by every file either program writes.

#include <string>
#include <string_view>

namespace kova {

// Every line written by KOVA or kova2 ends with CR LF, on every platform.
inline constexpr std::string_view kLineEnd = "\r\n";

inline std::string as_line(std::string_view text) {
  std::string line;
  line.reserve(text.size() + kLineEnd.size());
  line.append(text).append(kLineEnd);
  return line;
}

}  // namespace kova
