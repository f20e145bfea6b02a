#pragma once
// The run last prepared with KOVA, as the engine would read it from the run description files.

#include <filesystem>
#include <optional>
#include <string>

#include "viewer/core/run_data.hpp"

namespace kova::viewer {

struct LastRun {
  std::optional<RunFiles> files;  // empty when the run description files do not give a whole run
  std::string problem;            // why not, naming the file
};

// Reads the matrix and output paths and the number of genes and samples with the engine's own
// rules; the report is looked for beside the output file, then in `current_folder`.
LastRun read_last_run(const std::filesystem::path& current_folder);

}  // namespace kova::viewer
