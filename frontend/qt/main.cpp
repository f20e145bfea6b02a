// KOVA: the windowed front end. Everything is in the front-end library; main wires the real
// dialogs, message boxes and engine start to the main window.

#include <QApplication>
#include <cstring>
#include <iostream>

#include "common/line_layout.hpp"
#include "frontend/core/version.hpp"
#include "frontend/core/workflow.hpp"
#include "frontend/qt/alert.hpp"
#include "frontend/qt/file_dialog.hpp"
#include "frontend/qt/launcher.hpp"
#include "frontend/qt/main_window.hpp"

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    // The options its manual page lists; a test compares the two.
    std::cout << "usage: KOVA [--help | --version]" << kova::kLineEnd
              << "  Without arguments: the main window, which leads through a run of kova2." << kova::kLineEnd
              << "  --help      this text" << kova::kLineEnd
              << "  --version   the version" << kova::kLineEnd
              << std::flush;
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::cout << "KOVA " << kova::kFrontEndVersionText << " (" << kova::kFrontEndVersionNumber << ")" << kova::kLineEnd
              << std::flush;
    return 0;
  }
  QApplication app(argc, argv);
  kova::Workflow workflow;
  kova::FileDialog file_dialog;
  kova::MessageBoxAlert alert;
  kova::ProcessLauncher launcher;
  kova::Form1 main_window({workflow, file_dialog, alert, launcher});
  main_window.show();
  // The focus starts on "Select Input File", also where no window manager activates a new window.
  main_window.activateWindow();
  return app.exec();
}
