// Windows: the engine is a console program and gets a new console window of its own. Qt starts
// detached programs without a console unless told otherwise, so the creation flags are changed
// here, just before the process is created.

#include <windows.h>

#include <QDir>
#include <QProcess>

#include "frontend/launcher.hpp"

namespace kova {

QString engine_file_name(Engine engine) { return engine == Engine::Kova1 ? "kova1.exe" : "kova2.exe"; }

void start_in_own_window(const QString& engine_path) {
  QProcess process;
  process.setProgram(engine_path);
  process.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments* arguments) {
    arguments->flags &= ~static_cast<DWORD>(CREATE_NO_WINDOW);
    arguments->flags |= CREATE_NEW_CONSOLE;
    // The new console's own input and output, not handles inherited from KOVA.
    arguments->startupInfo->dwFlags &= ~static_cast<DWORD>(STARTF_USESTDHANDLES);
  });
  if (!process.startDetached()) {
    throw LaunchError("Cannot start the engine " + QDir::toNativeSeparators(engine_path) + ": " +
                      process.errorString());
  }
}

}  // namespace kova
