#include "frontend/core/workflow.hpp"

#include <filesystem>
#include <system_error>

#include "common/entry_check.hpp"
#include "common/line_layout.hpp"
#include "common/run_description_paths.hpp"
#include "frontend/core/matrix_scan.hpp"
#include "frontend/core/path_check.hpp"

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

// The same file, also when reached by another spelling or link; the same spelling when neither exists.
bool same_file(const std::string& a, const std::string& b) {
  std::error_code error;
  const bool same = std::filesystem::equivalent(a, b, error);
  return error ? a == b : same;
}

void refuse_unreadable_path(const std::string& path, PathRole role) {
  if (const auto problem = path_problem(path, role)) throw WorkflowError(*problem);
}

// "the number of samples '5.5' is not a whole number" as a sentence of its own.
std::string sentence(std::string text) {
  if (!text.empty() && text.front() >= 'a' && text.front() <= 'z')
    text.front() = static_cast<char>(text.front() - 'a' + 'A');
  return text.ends_with('?') ? text : text + ".";
}

std::optional<std::string> count_problem(const char* what, const char* example, const std::string& entry) {
  const WholeNumberEntry check = check_whole_number(entry);
  std::string fault;
  if (!check.ok()) {
    fault = sentence(describe_entry(what, entry, check));
  } else if (check.value < 1) {
    fault = sentence(std::string(what) + " " + std::to_string(check.value) + " is less than 1");
  } else {
    return std::nullopt;
  }
  return fault + " Type " + what + " as a whole number of 1 or more, such as " + example + ".";
}

const char* const kSelectInputFirst = "No input file has been selected for this run. Click [Select Input File] first.";

}  // namespace

Workflow::Workflow() = default;
Workflow::~Workflow() = default;

std::optional<std::string> Workflow::select_input(FileChooser& chooser) {
  if (state_ == RunFile::kOpen) {
    // Another input for the run being prepared: it starts again, in the run file already open.
    const std::optional<std::string> chosen = chooser.choose_open(kInputDialogTitle, input_path_);
    if (!chosen) return std::nullopt;
    refuse_unreadable_path(*chosen, PathRole::kInputMatrix);
    input_path_ = *chosen;
    output_path_.reset();
    write_new_run();
    return input_chosen_message(input_path_);
  }
  const std::filesystem::path path = paths().outinfo;
  const bool existed = file_exists(path);
  // Opened without emptying it: a cancelled or refused choice must leave the previous run's file intact.
  DescriptionFile file = DescriptionFile::open_keeping(path);
  const auto give_up = [&] {
    file.close();
    std::error_code ignored;
    if (!existed) std::filesystem::remove(path, ignored);
  };

  const std::optional<std::string> chosen = chooser.choose_open(kInputDialogTitle, input_path_);
  if (!chosen) {
    give_up();
    return std::nullopt;
  }
  if (const auto problem = path_problem(*chosen, PathRole::kInputMatrix)) {
    give_up();
    throw WorkflowError(*problem);
  }
  run_file_.emplace(std::move(file));
  input_path_ = *chosen;
  output_path_.reset();
  state_ = RunFile::kOpen;
  write_new_run();
  return input_chosen_message(input_path_);
}

void Workflow::write_new_run() {
  try {
    rewrite_run_file();
  } catch (const WorkflowError&) {
    run_file_.reset();
    state_ = RunFile::kNeverOpened;
    throw;
  }
}

std::string Workflow::submit(const RunParameters& parameters) {
  if (const auto problem = parameters_problem(parameters)) throw WorkflowError(*problem);
  DescriptionFile file = DescriptionFile::create(paths().doutinfo);
  file.replace(as_line(parameters.genes) + as_line(parameters.samples) + as_line(parameters.threshold));
  file.close();
  return parameters_message(parameters);
}

std::optional<std::string> Workflow::select_output(FileChooser& chooser) {
  if (state_ == RunFile::kNeverOpened) throw WorkflowError(kSelectInputFirst);
  if (state_ == RunFile::kClosed) {
    throw WorkflowError(
        "This run's description was completed by [Start Biclustering]. Click [Select Input File] first to prepare a "
        "new run.");
  }
  const std::optional<std::string> chosen = chooser.choose_save(kOutputDialogTitle, proposed_output_path());
  if (!chosen) return std::nullopt;
  refuse_unreadable_path(*chosen, PathRole::kOutputFile);
  if (same_file(*chosen, input_path_)) {
    throw WorkflowError("The output file '" + *chosen +
                        "' is the input matrix itself: the engine would empty it before reading it. Choose another "
                        "name for the output file, such as result.txt.");
  }
  // A second choice replaces the first: the engine reads the second line, and it must be the file
  // the help pane names.
  output_path_ = *chosen;
  rewrite_run_file();
  return output_chosen_message(*chosen);
}

std::optional<std::string> Workflow::compare_with_input(const RunParameters& parameters) const {
  if (input_path_.empty() || parameters_problem(parameters)) return std::nullopt;
  const std::optional<MatrixScan> shape = scan_matrix(input_path_);
  if (!shape) return std::nullopt;
  const std::vector<std::string> found =
      disagreements(*shape, check_whole_number(parameters.genes).value, check_whole_number(parameters.samples).value);
  if (found.empty()) return std::nullopt;
  std::string question = "The entries do not agree with the input file '" + input_path_ + "'.";
  for (const std::string& sentence : found) question += " " + sentence;
  return question + " Submit these entries all the same?";
}

std::string Workflow::proposed_output_path() const {
  if (input_path_.empty()) return "";
  const std::filesystem::path folder = std::filesystem::path(input_path_).parent_path();
  for (int n = 1; n < 100; ++n) {
    const std::filesystem::path candidate = folder / ("result" + (n == 1 ? "" : std::to_string(n)) + ".txt");
    if (!file_exists(candidate) && !same_file(candidate.string(), input_path_)) return candidate.string();
  }
  return "";
}

void Workflow::start_biclustering() {
  switch (state_) {
    case RunFile::kNeverOpened:
      throw WorkflowError(kSelectInputFirst);
    case RunFile::kClosed:
      return;
    case RunFile::kOpen:
      break;
  }
  if (!output_path_) {
    throw WorkflowError("No output file has been chosen for this run. Click [Enter Output File Name] first.");
  }
  DescriptionFile file = std::move(*run_file_);
  run_file_.reset();
  // Whatever happens now, the file is no longer held open: a failed close needs a new run.
  state_ = RunFile::kNeverOpened;
  file.close();
  state_ = RunFile::kClosed;
}

void Workflow::start_engine(Engine engine, EngineLauncher& launcher) const {
  if (state_ != RunFile::kClosed) {
    throw WorkflowError("The run description is not complete. Click [Start Biclustering] first.");
  }
  launcher.start(engine_file_name(engine));
}

void Workflow::rewrite_run_file() {
  std::string lines = as_line(input_path_);
  if (output_path_) lines += as_line(*output_path_);
  run_file_->replace(lines);
}

std::optional<std::string> parameters_problem(const RunParameters& parameters) {
  if (auto problem = count_problem("the number of genes", "120", parameters.genes)) return problem;
  if (auto problem = count_problem("the number of samples", "17", parameters.samples)) return problem;
  const char* const what = "the correlation threshold";
  const ThresholdEntry check = check_threshold(parameters.threshold);
  if (check.ok()) return std::nullopt;
  return sentence(describe_entry(what, parameters.threshold, check)) +
         " Type the correlation threshold as a number from -1 to 1 with a '.' as the decimal separator, such as 0.85.";
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
