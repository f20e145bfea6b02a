#include "frontend/core/workflow.hpp"

#include <filesystem>
#include <system_error>

#include "common/line_layout.hpp"
#include "common/run_description_paths.hpp"

namespace kova {
namespace {

RunDescriptionPaths paths() {
  try {
    return run_description_paths();
  } catch (const RunDescriptionLocationError& e) {
    throw WorkflowError(e.what());
  }
}

bool file_exists(const std::filesystem::path& path) {
  std::error_code ignored;
  return std::filesystem::exists(path, ignored);
}

const char* const kSelectInputFirst = "No input file has been selected for this run. Click [Select Input File] first.";

}  // namespace

Workflow::Workflow() = default;
Workflow::~Workflow() = default;

std::optional<std::string> Workflow::select_input(FileChooser& chooser) {
  if (state_ == RunFile::Open) {
    throw WorkflowError("A run is already being prepared with the input file '" + input_path_ +
                        "'. Click [Start Biclustering] to finish it before you select another input file.");
  }
  const std::filesystem::path path = paths().outinfo;
  const bool existed = file_exists(path);
  // Opened without emptying it: a cancelled choice must leave the previous run's file intact.
  DescriptionFile file = DescriptionFile::open_keeping(path);

  const std::optional<std::string> chosen = chooser.choose_open(kInputDialogTitle);
  if (!chosen) {
    file.close();
    std::error_code ignored;
    if (!existed) std::filesystem::remove(path, ignored);
    return std::nullopt;
  }
  run_file_.emplace(std::move(file));
  input_path_ = *chosen;
  output_path_.reset();
  state_ = RunFile::Open;
  try {
    rewrite_run_file();
  } catch (const WorkflowError&) {
    run_file_.reset();
    state_ = RunFile::NeverOpened;
    throw;
  }
  return input_chosen_message(input_path_);
}

std::string Workflow::submit(const RunParameters& parameters) {
  DescriptionFile file = DescriptionFile::create(paths().doutinfo);
  file.replace(as_line(parameters.genes) + as_line(parameters.samples) + as_line(parameters.threshold));
  file.close();
  return parameters_message(parameters);
}

std::optional<std::string> Workflow::select_output(FileChooser& chooser) {
  if (state_ == RunFile::NeverOpened) throw WorkflowError(kSelectInputFirst);
  if (state_ == RunFile::Closed) {
    throw WorkflowError(
        "This run's description was completed by [Start Biclustering]. Click [Select Input File] first to prepare a "
        "new run.");
  }
  const std::optional<std::string> chosen = chooser.choose_save(kOutputDialogTitle);
  if (!chosen) return std::nullopt;
  // A second choice replaces the first: the engine reads the second line, and it must be the file
  // the help pane names.
  output_path_ = *chosen;
  rewrite_run_file();
  return output_chosen_message(*chosen);
}

void Workflow::start_biclustering() {
  switch (state_) {
    case RunFile::NeverOpened:
      throw WorkflowError(kSelectInputFirst);
    case RunFile::Closed:
      return;
    case RunFile::Open:
      break;
  }
  if (!output_path_) {
    throw WorkflowError("No output file has been chosen for this run. Click [Enter Output File Name] first.");
  }
  DescriptionFile file = std::move(*run_file_);
  run_file_.reset();
  // Whatever happens now, the file is no longer held open: a failed close needs a new run.
  state_ = RunFile::NeverOpened;
  file.close();
  state_ = RunFile::Closed;
}

void Workflow::start_engine(Engine engine, EngineLauncher& launcher) const {
  if (state_ != RunFile::Closed) {
    throw WorkflowError("The run description is not complete. Click [Start Biclustering] first.");
  }
  launcher.start(engine_file_name(engine));
}

void Workflow::rewrite_run_file() {
  std::string lines = as_line(input_path_);
  if (output_path_) lines += as_line(*output_path_);
  run_file_->replace(lines);
}

std::string input_chosen_message(const std::string& path) {
  return "Selected input file for clustering is " + path +
         ".    Next action: Click [Enter Input Description] to enter number of genes and samples in input file " + path;
}

std::string parameters_message(const RunParameters& parameters) {
  return "Number of gene in input file is " + parameters.genes + " and number of samples are " + parameters.samples +
         ". If entries are correct then next action: Click [Enter Output File Name] to select file name that will "
         "store result";
}

std::string output_chosen_message(const std::string& path) {
  return "Selected file for storing result is " + path +
         ".    Next action: Click [Start Clustering] to start ZOVA clustering";
}

}  // namespace kova
