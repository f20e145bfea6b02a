#include "frontend/workflow.hpp"

#include <string_view>

#include "common/line_layout.hpp"
#include "common/run_description_paths.hpp"

namespace kova {
namespace {

RunDescriptionPaths paths() {
  try {
    return run_description_paths();
  } catch (const RunDescriptionLocationError& e) {
    throw WorkflowError(QString::fromStdString(e.what()));
  }
}

QString quoted(const QFile& file) { return "'" + file.fileName() + "'"; }

[[noreturn]] void fail(const char* what, const QFile& file) {
  throw WorkflowError(QString("Cannot %1 the run description file %2: %3").arg(what, quoted(file), file.errorString()));
}

// One line as the engine reads it: the text's 8-bit bytes, then CR LF.
std::string line_of(const QByteArray& bytes) { return as_line(std::string_view(bytes.constData(), bytes.size())); }

// A path in the platform's file name bytes (UTF-8 on Linux, the ANSI code page on Windows), so
// that the engine opens exactly the file that was chosen.
std::string path_line(const QString& path) { return line_of(QFile::encodeName(path)); }

std::string text_line(const QString& text) { return line_of(text.toLocal8Bit()); }

void write_all(QFile& file, const std::string& bytes) {
  const auto size = static_cast<qint64>(bytes.size());
  if (file.write(bytes.data(), size) != size || !file.flush()) fail("write", file);
}

void close_checked(QFile& file) {
  file.unsetError();
  file.close();
  if (file.error() != QFileDevice::NoError) fail("close", file);
}

const char* const kSelectInputFirst = "No input file has been selected for this run. Click [Select Input File] first.";

}  // namespace

Workflow::Workflow() = default;
Workflow::~Workflow() = default;

std::optional<QString> Workflow::select_input(const PathChooser& choose) {
  if (state_ == RunFile::Open) {
    throw WorkflowError("A run is already being prepared with the input file '" + input_path_ +
                        "'. Click [Start Biclustering] to finish it before you select another input file.");
  }
  auto file = std::make_unique<QFile>(paths().outinfo);
  const bool existed = file->exists();
  // Opened without truncating: a cancelled choice must leave the previous run's file intact.
  if (!file->open(QIODevice::WriteOnly | QIODevice::Append)) fail("create", *file);

  const std::optional<QString> chosen = choose();
  if (!chosen) {
    file->close();
    if (!existed) file->remove();
    return std::nullopt;
  }
  run_file_ = std::move(file);
  input_path_ = *chosen;
  output_path_.reset();
  state_ = RunFile::Open;
  try {
    rewrite_run_file();
  } catch (const WorkflowError&) {
    run_file_->close();
    run_file_.reset();
    state_ = RunFile::NeverOpened;
    throw;
  }
  return input_chosen_message(input_path_);
}

QString Workflow::submit(const RunParameters& parameters) {
  QFile file(paths().doutinfo);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) fail("create", file);
  write_all(file, text_line(parameters.genes) + text_line(parameters.samples) + text_line(parameters.threshold));
  close_checked(file);
  return parameters_message(parameters);
}

std::optional<QString> Workflow::select_output(const PathChooser& choose) {
  if (state_ == RunFile::NeverOpened) throw WorkflowError(kSelectInputFirst);
  if (state_ == RunFile::Closed) {
    throw WorkflowError(
        "This run's description was completed by [Start Biclustering]. Click [Select Input File] first to prepare a "
        "new run.");
  }
  const std::optional<QString> chosen = choose();
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
  std::unique_ptr<QFile> file = std::move(run_file_);
  // Whatever happens now, the file is no longer held open: a failed close needs a new run.
  state_ = RunFile::NeverOpened;
  close_checked(*file);
  state_ = RunFile::Closed;
}

void Workflow::start_engine(Engine engine, EngineLauncher& launcher) const {
  if (state_ != RunFile::Closed) {
    throw WorkflowError("The run description is not complete. Click [Start Biclustering] first.");
  }
  launcher.start(engine_file_name(engine));
}

void Workflow::rewrite_run_file() {
  QFile& file = *run_file_;
  if (!file.resize(0)) fail("write", file);
  std::string lines = path_line(input_path_);
  if (output_path_) lines += path_line(*output_path_);
  write_all(file, lines);
}

QString input_chosen_message(const QString& path) {
  return "Selected input file for clustering is " + path +
         ".    Next action: Click [Enter Input Description] to enter number of genes and samples in input file " + path;
}

QString parameters_message(const RunParameters& parameters) {
  return "Number of gene in input file is " + parameters.genes + " and number of samples are " + parameters.samples +
         ". If entries are correct then next action: Click [Enter Output File Name] to select file name that will "
         "store result";
}

QString output_chosen_message(const QString& path) {
  return "Selected file for storing result is " + path + ".    Next action: Click [Start Clustering] to start ZOVA clustering";
}

}  // namespace kova
