#pragma once
// The run being prepared in the front end, click by click: what each step writes to the run
// description files, which help message it shows, what it refuses and which engine it starts.
// Standard library only, so that the Qt and the Win32 windows sit on the same workflow and it is
// tested without windows. Texts are bytes: paths in the platform's file name encoding, typed
// entries in the system's code page (UTF-8 on Linux, the ANSI code page on Windows).

#include <optional>
#include <stdexcept>
#include <string>

#include "frontend/core/description_file.hpp"
#include "frontend/core/engine_launcher.hpp"
#include "frontend/core/file_chooser.hpp"

namespace kova {

// A step could not be done: a click out of order or a file that could not be written. The text
// says what failed and what to do, for a message box.
class WorkflowError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The texts of the three boxes of the input parameters window, exactly as typed.
struct RunParameters {
  std::string genes;
  std::string samples;
  std::string threshold;
};

class Workflow {
 public:
  Workflow();
  ~Workflow();
  Workflow(const Workflow&) = delete;
  Workflow& operator=(const Workflow&) = delete;

  // "Select Input File": opens the run file before asking (so a file that cannot be created is
  // reported before the user picks anything), then writes the chosen path as line 1 and keeps the
  // file open. While a run is being prepared it starts that run again with the new file: the run
  // file holds only the new line 1. Returns the help message, or nothing when the choice was
  // cancelled; a cancelled choice, or a path that the engine would read otherwise (WorkflowError),
  // leaves the run file as it was.
  std::optional<std::string> select_input(FileChooser& chooser);

  // "Submit": writes the second run description file whole and closes it. Returns the help message.
  // Entries that the engine cannot use are refused (WorkflowError) and nothing is written.
  std::string submit(const RunParameters& parameters);

  // Before "Submit": when the chosen input matrix can be read and disagrees with the entries (its
  // gene lines, values per gene, a header line), a question for the user whether to submit them
  // all the same. Nothing when they agree, or when there is nothing to compare.
  std::optional<std::string> compare_with_input(const RunParameters& parameters) const;

  // "Enter Output File Name": writes the chosen path as line 2 of the open run file; a later choice
  // replaces it. The dialog proposes a new file beside the input, never the input itself, and a
  // path that the engine would read otherwise, or the input itself, is refused (WorkflowError).
  // Returns the help message, or nothing when the choice was cancelled.
  std::optional<std::string> select_output(FileChooser& chooser);

  // What the Save dialog offers: "result.txt" beside the input matrix, or "result2.txt" and so on
  // when that exists, so that an earlier result is never offered for replacing.
  std::string proposed_output_path() const;

  // "Start Biclustering": closes the run file, so that it is complete on disk. After it has been
  // closed once, a repeated click closes nothing and goes on.
  void start_biclustering();

  // An engine button: starts the engine by its bare name.
  void start_engine(Engine engine, EngineLauncher& launcher) const;

 private:
  enum class RunFile { kNeverOpened, kOpen, kClosed };

  void rewrite_run_file();
  // Writes line 1 of a run just begun; a failure leaves no run being prepared.
  void write_new_run();

  RunFile state_ = RunFile::kNeverOpened;
  std::optional<DescriptionFile> run_file_;
  std::string input_path_;
  std::optional<std::string> output_path_;
};

// Nothing when the engine can use the three entries; otherwise a message that names the first
// entry it cannot use and what would work.
std::optional<std::string> parameters_problem(const RunParameters& parameters);

// The help messages of the main window.
std::string input_chosen_message(const std::string& path);
std::string parameters_message(const RunParameters& parameters);
std::string output_chosen_message(const std::string& path);

}  // namespace kova
