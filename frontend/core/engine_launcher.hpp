#pragma once
// Starting an engine: one small interface, so that tests can stand in for the real start.

#include <stdexcept>
#include <string>

namespace kova {

enum class Engine { kKova1, kKova2 };

// The engine's bare file name on this platform: kova1/kova2, with ".exe" on Windows.
std::string engine_file_name(Engine engine);

// The engine or what it runs in could not be found or started; the text says which and why.
class LaunchError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class EngineLauncher {
 public:
  virtual ~EngineLauncher() = default;
  // Starts the engine of that bare file name without arguments and does not wait for it.
  // Throws LaunchError when it cannot be started.
  virtual void start(const std::string& engine_name) = 0;
};

}  // namespace kova
