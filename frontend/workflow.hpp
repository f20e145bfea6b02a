#pragma once
// The run being prepared in the front end, click by click: what each step writes to the run
// description files, which help message it shows and which engine it starts. No widgets, so the
// whole workflow is tested without windows.

#include <QFile>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

#include "frontend/engine_launcher.hpp"

namespace kova {

// A step could not be done: a click out of order or a file that could not be written. The text
// says what failed and what to do, for a message box.
class WorkflowError : public std::runtime_error {
 public:
  explicit WorkflowError(const QString& text) : std::runtime_error(text.toStdString()), text_(text) {}
  const QString& text() const { return text_; }

 private:
  QString text_;
};

// Asks the user for a path; nothing when the user cancels.
using PathChooser = std::function<std::optional<QString>()>;

// The texts of the three boxes of the input parameters window, exactly as typed.
struct RunParameters {
  QString genes;
  QString samples;
  QString threshold;
};

class Workflow {
 public:
  Workflow();
  ~Workflow();
  Workflow(const Workflow&) = delete;
  Workflow& operator=(const Workflow&) = delete;

  // "Select Input File": opens the run file before asking (so a file that cannot be created is
  // reported before the user picks anything), then writes the chosen path as line 1 and keeps the
  // file open. Returns the help message, or nothing when the choice was cancelled; a cancelled
  // choice leaves the run file as it was.
  std::optional<QString> select_input(const PathChooser& choose);

  // "Submit": writes the second run description file whole and closes it. Returns the help message.
  QString submit(const RunParameters& parameters);

  // "Enter Output File Name": writes the chosen path as line 2 of the open run file; a later choice
  // replaces it. Returns the help message, or nothing when the choice was cancelled.
  std::optional<QString> select_output(const PathChooser& choose);

  // "Start Biclustering": closes the run file, so that it is complete on disk. After it has been
  // closed once, a repeated click closes nothing and goes on.
  void start_biclustering();

  // An engine button: starts the engine by its bare name.
  void start_engine(Engine engine, EngineLauncher& launcher) const;

 private:
  enum class RunFile { NeverOpened, Open, Closed };

  void rewrite_run_file();

  RunFile state_ = RunFile::NeverOpened;
  std::unique_ptr<QFile> run_file_;
  QString input_path_;
  std::optional<QString> output_path_;
};

// The help messages of the main window.
QString input_chosen_message(const QString& path);
QString parameters_message(const RunParameters& parameters);
QString output_chosen_message(const QString& path);

}  // namespace kova
