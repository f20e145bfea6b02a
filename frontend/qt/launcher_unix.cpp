// Linux and other Unix systems: a console program has no window of its own, so the engine runs in
// a terminal window, where its prompt shows and the user types the answer.

#include <QProcess>
#include <QStandardPaths>

#include "frontend/qt/launcher.hpp"

namespace kova {

void start_in_own_window(const QString& engine_path) {
  // The system's chosen terminal first; xterm understands the same "-e program" call.
  QString terminal = QStandardPaths::findExecutable("x-terminal-emulator");
  if (terminal.isEmpty()) terminal = QStandardPaths::findExecutable("xterm");
  if (terminal.isEmpty()) {
    throw LaunchError(QString("Cannot start the engine " + engine_path +
                              ": no terminal window program was found (neither x-terminal-emulator nor xterm is on the "
                              "search path).")
                          .toLocal8Bit()
                          .toStdString());
  }
  QProcess process;
  process.setProgram(terminal);
  process.setArguments({"-e", engine_path});
  // Detached: the terminal and the engine in it go on running when KOVA ends.
  if (!process.startDetached()) {
    throw LaunchError(QString("Cannot start the terminal window " + terminal + " for the engine " + engine_path + ": " +
                              process.errorString())
                          .toLocal8Bit()
                          .toStdString());
  }
}

}  // namespace kova
