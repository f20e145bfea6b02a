#include "viewer/core/command_line.hpp"

#include "common/number_syntax.hpp"

namespace kova::viewer {
namespace {

std::optional<std::int32_t> whole_int(const std::string& text) {
  const IntScan scan = scan_int32(text);
  if (scan.length == 0 || scan.length != text.size()) return std::nullopt;
  return scan.value;
}

// "800x600"
bool read_size(const std::string& text, CommandLine& line) {
  const std::size_t x = text.find('x');
  if (x == std::string::npos) return false;
  const std::optional<std::int32_t> width = whole_int(text.substr(0, x));
  const std::optional<std::int32_t> height = whole_int(text.substr(x + 1));
  constexpr std::int32_t kLargest = 20000;
  if (!width || !height || *width < 1 || *height < 1 || *width > kLargest || *height > kLargest) return false;
  line.width = *width;
  line.height = *height;
  return true;
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
    if (argument == "--png" || argument == "--all" || argument == "--table" || argument == "--members" ||
        argument == "--samples" || argument == "--gene-names" || argument == "--gmt" || argument == "--gene-sets") {
      if (!has_value) return refused(argument + (argument == "--all" ? " needs a folder" : " needs a file name"));
      std::string& value = argument == "--png"     ? line.png
                           : argument == "--all"   ? line.all
                           : argument == "--table" ? line.table
                           : argument == "--samples" ? line.samples
                           : argument == "--gene-names" ? line.gene_names
                           : argument == "--gmt"     ? line.gmt
                           : argument == "--gene-sets" ? line.gene_sets
                                                     : line.members;
      value = arguments[++i];
    } else if (argument == "--size") {
      if (!has_value || !read_size(arguments[i + 1], line)) {
        return refused("--size needs WIDTHxHEIGHT in pixels, each from 1 to 20000, such as 800x600");
      }
      ++i;
    } else if (argument == "--dpi") {
      const std::optional<std::int32_t> dpi = has_value ? whole_int(arguments[i + 1]) : std::nullopt;
      if (!dpi || *dpi < 24 || *dpi > 1200) return refused("--dpi needs a resolution from 24 to 1200");
      line.dpi = *dpi;
      ++i;
    } else if (argument == "--help" || argument == "-h") {
      CommandLine help;
      help.help = true;
      return help;
    } else if (argument == "--merge") {
      if (!has_value) return refused("--merge needs LEVEL,LEVEL,...=NEW, such as B1,B2,B3,B4=B");
      try {
        for (LevelMerge& merge : parse_level_merges(arguments[i + 1])) line.merges.push_back(std::move(merge));
        line.merges_text += (line.merges_text.empty() ? "" : "; ") + arguments[++i];
      } catch (const LevelMergeError& error) {
        return refused(std::string("--merge: ") + error.what());
      }
    } else if (argument == "--cluster") {
      line.cluster = true;
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
  const bool pictures = !line.png.empty() || !line.all.empty();
  if (line.width > 0 && !pictures) return refused("--size is only used with --png or --all");
  if (line.cluster && !pictures) return refused("--cluster is only used with --png or --all");
  if (line.dpi != 96 && !pictures) return refused("--dpi is only used with --png or --all");
  if (!line.merges.empty() && line.samples.empty()) return refused("--merge merges the class levels of --samples FILE");
  if (positional.empty()) {
    if (line.batch()) return refused("--png, --all, --table, --members and --gmt need OUTPUT MATRIX");
    if (!line.samples.empty()) return refused("--samples needs OUTPUT MATRIX");
    if (!line.gene_names.empty()) return refused("--gene-names needs OUTPUT MATRIX");
    if (!line.gene_sets.empty()) return refused("--gene-sets needs OUTPUT MATRIX");
    return line;
  }
  if (positional.size() != 2 && positional.size() != 4) return refused("expected OUTPUT MATRIX [GENES SAMPLES]");
  RunFiles files;
  files.output = positional[0];
  files.matrix = positional[1];
  if (positional.size() == 4) {
    const std::optional<std::int32_t> genes = whole_int(positional[2]);
    const std::optional<std::int32_t> samples = whole_int(positional[3]);
    if (!genes || *genes < 0) return refused("GENES must be a whole number from 0, not '" + positional[2] + "'");
    if (!samples || *samples < 0) return refused("SAMPLES must be a whole number from 0, not '" + positional[3] + "'");
    files.genes = *genes;
    files.samples = *samples;
  }
  files.report = find_report(files.output, current_folder);
  line.run = files;
  return line;
}

}  // namespace kova::viewer
