#pragma once
// The command line of kovaview.

#include <optional>
#include <string>
#include <vector>

#include "viewer/run_data.hpp"

namespace kova::viewer {

inline constexpr const char* kUsage =
    "usage: kovaview [OUTPUT MATRIX GENES SAMPLES]\n"
    "       kovaview --png FILE --bicluster N OUTPUT MATRIX GENES SAMPLES";

struct CommandLine {
  std::optional<RunFiles> run;    // empty: offer the last run prepared with KOVA
  std::string png;                // non-empty: draw one heatmap to this file, no window
  std::int32_t bicluster = 0;     // 1-based, with `png`
  std::string error;              // non-empty: the arguments are wrong; says why
};

// `arguments` without the program name. The report is looked for beside OUTPUT, then in
// `current_folder`.
CommandLine parse_command_line(const std::vector<std::string>& arguments, const std::filesystem::path& current_folder);

}  // namespace kova::viewer
