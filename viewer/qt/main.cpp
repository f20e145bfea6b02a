// kovaview: opens a finished run in a window, or writes pictures and tables of it without one.

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "viewer/core/command_line.hpp"
#include "viewer/core/last_run.hpp"
#include "viewer/qt/batch_output.hpp"
#include "viewer/qt/viewer_window.hpp"

namespace {

// Every line written ends with CR LF, as kova2's do.
void write_lines(std::FILE* to, const std::string& text) {
  std::string lines;
  for (char c : text) lines += c == '\n' ? std::string("\r\n") : std::string(1, c);
  std::fputs((lines + "\r\n").c_str(), to);
}

int fail(const std::string& message) {
  write_lines(stderr, "kovaview: error: " + message);
  return 1;
}

int write_files(int argc, char** argv, const kova::viewer::CommandLine& line) {
  // Pictures and tables for reports and scripts need no display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  bool progress_shown = false;
  std::size_t shown_percent = 101;
  const auto progress = [&](std::size_t done, std::size_t total) {
    // One line, rewritten at most once per percent, so a log of it stays short.
    const std::size_t percent = done * 100 / total;
    if (percent == shown_percent && done != total) return;
    shown_percent = percent;
    std::fprintf(stderr, "\rkovaview: picture %zu of %zu", done, total);
    progress_shown = true;
  };
  try {
    const auto warn = [](const std::string& warning) {
      write_lines(stderr, "kovaview: warning: " + warning);
    };
    kova::viewer::write_batch_output(line, QGuiApplication::font(), warn, progress);
  } catch (const std::exception& error) {
    if (progress_shown) std::fputs("\r\n", stderr);
    return fail(error.what());
  }
  if (progress_shown) write_lines(stderr, " written to '" + line.all + "'");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  const std::filesystem::path here = std::filesystem::current_path();
  const kova::viewer::CommandLine line = kova::viewer::parse_command_line(arguments, here);
  if (line.help) {
    write_lines(stdout, kova::viewer::kUsage);
    return 0;
  }
  if (!line.error.empty()) {
    write_lines(stderr, "kovaview: error: " + line.error + "\n" + kova::viewer::kUsage);
    return 2;
  }
  if (line.batch()) return write_files(argc, argv, line);

  QApplication app(argc, argv);
  kova::viewer::ViewerWindow window;
  window.show();
  if (line.run) {
    const QString error = window.open_run(*line.run);
    if (!error.isEmpty()) {
      QMessageBox::critical(&window, QStringLiteral("kovaview"), error);
      window.choose_run(*line.run, {});
    }
    window.set_level_merges(QString::fromStdString(line.merges_text));
    const QString annotation_error = line.samples.empty() ? QString() : window.open_annotation(line.samples);
    if (!annotation_error.isEmpty()) QMessageBox::critical(&window, QStringLiteral("kovaview"), annotation_error);
    const QString names_error = line.gene_names.empty() ? QString() : window.open_gene_names(line.gene_names);
    if (!names_error.isEmpty()) QMessageBox::critical(&window, QStringLiteral("kovaview"), names_error);
  } else {
    const kova::viewer::LastRun last = kova::viewer::read_last_run(here);
    const QString note = last.files ? QStringLiteral("The last run prepared with KOVA:")
                                    : QStringLiteral("No last run: %1").arg(QString::fromStdString(last.problem));
    QTimer::singleShot(0, &window, [&window, last, note] { window.choose_run(last.files.value_or(kova::viewer::RunFiles{}), note); });
  }
  return app.exec();
}
