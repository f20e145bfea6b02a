// kovaview: opens a finished run in a window, or draws one heatmap to a PNG file (--png).

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "viewer/bicluster_pictures.hpp"
#include "viewer/command_line.hpp"
#include "viewer/last_run.hpp"
#include "viewer/viewer_window.hpp"

namespace {

int fail(const std::string& message) {
  std::fprintf(stderr, "kovaview: error: %s\n", message.c_str());
  return 1;
}

int draw_png(int argc, char** argv, const kova::viewer::CommandLine& line) {
  // Pictures for reports and scripts need no display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  try {
    const kova::viewer::LoadedRun run = kova::viewer::load_run(*line.run);
    for (const std::string& warning : run.matrix_warnings) {
      std::fprintf(stderr, "kovaview: warning: %s\n", warning.c_str());
    }
    const QString error =
        kova::viewer::save_heatmap(run, line.bicluster, QString::fromStdString(line.png), QGuiApplication::font());
    if (!error.isEmpty()) return fail(error.toStdString());
  } catch (const std::exception& error) {
    return fail(error.what());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  const std::filesystem::path here = std::filesystem::current_path();
  const kova::viewer::CommandLine line = kova::viewer::parse_command_line(arguments, here);
  if (!line.error.empty()) {
    std::fprintf(stderr, "kovaview: error: %s\n%s\n", line.error.c_str(), kova::viewer::kUsage);
    return 2;
  }
  if (!line.png.empty()) return draw_png(argc, argv, line);

  QApplication app(argc, argv);
  kova::viewer::ViewerWindow window;
  window.show();
  if (line.run) {
    const QString error = window.open_run(*line.run);
    if (!error.isEmpty()) {
      QMessageBox::critical(&window, QStringLiteral("kovaview"), error);
      window.choose_run(*line.run, {});
    }
  } else {
    const kova::viewer::LastRun last = kova::viewer::read_last_run(here);
    const QString note = last.files ? QStringLiteral("The last run prepared with KOVA:")
                                    : QStringLiteral("No last run: %1").arg(QString::fromStdString(last.problem));
    QTimer::singleShot(0, &window, [&window, last, note] { window.choose_run(last.files.value_or(kova::viewer::RunFiles{}), note); });
  }
  return app.exec();
}
