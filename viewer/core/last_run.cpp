#include "viewer/core/last_run.hpp"

#include <fstream>

#include "common/run_description_paths.hpp"
#include "common/run_description_reader.hpp"

namespace kova::viewer {

LastRun read_last_run(const std::filesystem::path& current_folder) {
  LastRun last;
  RunDescriptionPaths paths;
  try {
    paths = run_description_paths();
  } catch (const RunDescriptionLocationError& error) {
    last.problem = error.what();
    return last;
  }
  std::ifstream outinfo(paths.outinfo, std::ios::binary);
  if (!outinfo) {
    last.problem = "cannot open '" + paths.outinfo.string() + "'";
    return last;
  }
  const std::optional<std::string> matrix = read_joined_path(outinfo);
  const std::optional<std::string> output = matrix ? read_joined_path(outinfo) : std::nullopt;
  if (!output) {
    last.problem = "'" + paths.outinfo.string() + "' does not hold an input and an output path";
    return last;
  }
  std::ifstream doutinfo(paths.doutinfo, std::ios::binary);
  if (!doutinfo) {
    last.problem = "cannot open '" + paths.doutinfo.string() + "'";
    return last;
  }
  RunFiles files;
  try {
    const RunSize size = read_run_size(doutinfo);
    files.genes = size.genes;
    files.samples = size.samples;
  } catch (const RunDescriptionError& error) {
    last.problem = "'" + paths.doutinfo.string() + "': " + error.what();
    return last;
  }
  files.matrix = *matrix;
  files.output = *output;
  files.report = find_report(files.output, current_folder);
  last.files = files;
  return last;
}

}  // namespace kova::viewer
