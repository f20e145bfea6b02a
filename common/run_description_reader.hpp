#pragma once
// The engine's reading rules for the two run description files.

#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <stdexcept>
#include <string>

namespace kova {

class RunDescriptionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Longer than any path a platform opens (the longest a Windows path can be); a file holding more
// is no run description, and reading it whole could take all memory.
inline constexpr std::size_t kMaxPathLength = 32767;

// Reads one path: white-space separated pieces joined by one blank, up to and including the first
// piece that holds a '.'. Returns nothing when the stream ends before such a piece. Throws
// RunDescriptionError once the path grows beyond kMaxPathLength characters.
std::optional<std::string> read_joined_path(std::istream& in);

struct RunSize {
  std::int32_t genes = 0;
  std::int32_t samples = 0;
  double threshold = 0.0;
};

// Two whole numbers and a real, separated by any white space (the formatted read "%d %d %lf"),
// each wholly a number: "0,85", "85%" or "5.5" for a whole number are refused rather than read as
// far as a number goes, and so is a threshold outside -1 to 1 (see entry_check.hpp). Throws
// RunDescriptionError naming the first entry that is missing, malformed or out of range.
RunSize read_run_size(std::istream& in);

}  // namespace kova
