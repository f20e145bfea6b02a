#include "frontend/qt/launcher.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace kova {

QString find_engine(const QString& name, const QString& own_folder) {
  const QFileInfo beside(QDir(own_folder).filePath(name));
  if (beside.isFile() && beside.isExecutable()) return beside.absoluteFilePath();
  return QStandardPaths::findExecutable(name);
}

void ProcessLauncher::start(const std::string& name) {
  const QString engine_name = QString::fromStdString(name);
  const QString own_folder = QCoreApplication::applicationDirPath();
  const QString engine = find_engine(engine_name, own_folder);
  if (engine.isEmpty()) {
    throw LaunchError(("Cannot start the engine " + engine_name + ": it is neither in the folder of KOVA (" +
                       QDir::toNativeSeparators(own_folder) + ") nor on the search path (PATH).")
                          .toLocal8Bit()
                          .toStdString());
  }
  start_in_own_window(engine);
}

}  // namespace kova
