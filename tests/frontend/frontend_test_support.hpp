#pragma once
// Helpers for the front-end tests: a private HOME per test, file bytes, and stand-ins for the
// message box and the engine start that record what they were asked.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <optional>

#include "frontend/core/engine_launcher.hpp"
#include "frontend/qt/alert.hpp"

namespace kova::test {

// HOME points into a fresh temporary folder for the object's lifetime, so the run description
// files of a test never touch anyone's real home.
class ScopedHome {
 public:
  ScopedHome() : previous_(qgetenv("HOME")) { qputenv("HOME", QFile::encodeName(dir_.path())); }
  ~ScopedHome() { qputenv("HOME", previous_); }
  ScopedHome(const ScopedHome&) = delete;
  ScopedHome& operator=(const ScopedHome&) = delete;

  QString path() const { return dir_.path(); }
  QString file(const QString& name) const { return QDir(dir_.path()).filePath(name); }
  QString outinfo() const { return file("outinfo.txt"); }
  QString doutinfo() const { return file("doutinfo.txt"); }

 private:
  QTemporaryDir dir_;
  QByteArray previous_;
};

// The whole file, or nothing when it cannot be read.
inline std::optional<QByteArray> file_bytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  return file.readAll();
}

inline void write_bytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(bytes);
}

class RecordingAlert : public Alert {
 public:
  void error(QWidget*, const QString& text) override { errors << text; }
  bool ask(QWidget*, const QString& text) override {
    questions << text;
    return answer_yes;
  }
  QStringList errors;
  QStringList questions;
  bool answer_yes = false;
};

class RecordingLauncher : public EngineLauncher {
 public:
  void start(const std::string& engine_name) override {
    if (failure) throw LaunchError(failure->toStdString());
    started << QString::fromStdString(engine_name);
  }
  QStringList started;
  std::optional<QString> failure;  // set: every start fails with this text
};

}  // namespace kova::test
