#include "viewer/command_line.hpp"

#include "common/number_syntax.hpp"

namespace kova::viewer {
namespace {

std::optional<std::int32_t> whole_int(const std::string& text) {
  const IntScan scan = scan_int32(text);
  if (scan.length == 0 || scan.length != text.size()) return std::nullopt;
  return scan.value;
}

CommandLine refused(std::string why) {
  CommandLine line;
  line.error = std::move(why);
  return line;
}

}  // namespace

CommandLine parse_command_line(const std::vector<std::string>& arguments, const std::filesystem::path& current_folder) {
  CommandLine line;
  std::vector<std::string> positional;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const bool has_value = i + 1 < arguments.size();
    if (argument == "--png") {
      if (!has_value) return refused("--png needs a file name");
      line.png = arguments[++i];
    } else if (argument == "--bicluster") {
      const std::optional<std::int32_t> number = has_value ? whole_int(arguments[i + 1]) : std::nullopt;
      if (!number || *number < 1) return refused("--bicluster needs a bicluster number from 1");
      line.bicluster = *number;
      ++i;
    } else if (argument.starts_with("--")) {
      return refused("unknown option '" + argument + "'");
    } else {
      positional.push_back(argument);
    }
  }
  if (!line.png.empty() && line.bicluster == 0) return refused("--png needs --bicluster N");
  if (line.png.empty() && line.bicluster != 0) return refused("--bicluster is only used with --png");
  if (positional.empty()) {
    if (!line.png.empty()) return refused("--png needs OUTPUT MATRIX GENES SAMPLES");
    return line;
  }
  if (positional.size() != 4) return refused("expected OUTPUT MATRIX GENES SAMPLES");
  const std::optional<std::int32_t> genes = whole_int(positional[2]);
  const std::optional<std::int32_t> samples = whole_int(positional[3]);
  if (!genes || *genes < 0) return refused("GENES must be a whole number from 0, not '" + positional[2] + "'");
  if (!samples || *samples < 0) return refused("SAMPLES must be a whole number from 0, not '" + positional[3] + "'");
  RunFiles files;
  files.output = positional[0];
  files.matrix = positional[1];
  files.genes = *genes;
  files.samples = *samples;
  files.report = find_report(files.output, current_folder);
  line.run = files;
  return line;
}

}  // namespace kova::viewer
