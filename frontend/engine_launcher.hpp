#pragma once
// Starting an engine: one small interface, so that tests can stand in for the real start.

#include <QString>

#include <stdexcept>

namespace kova {

enum class Engine { Kova1, Kova2 };

// The engine's bare file name on this platform: kova1/kova2, with ".exe" on Windows.
QString engine_file_name(Engine engine);

// The engine or what it runs in could not be found or started; the text says which and why.
class LaunchError : public std::runtime_error {
 public:
  explicit LaunchError(const QString& text) : std::runtime_error(text.toStdString()), text_(text) {}
  const QString& text() const { return text_; }

 private:
  QString text_;
};

class EngineLauncher {
 public:
  virtual ~EngineLauncher() = default;
  // Starts the engine of that bare file name without arguments and does not wait for it.
  // Throws LaunchError when it cannot be started.
  virtual void start(const QString& engine_name) = 0;
};

}  // namespace kova
