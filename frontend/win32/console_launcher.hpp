#pragma once
// Starts an engine by its bare name in a new console window, as Windows looks a program up: the
// folder of KOVA.exe first, then the current folder, the system folders and PATH.

#include "frontend/core/engine_launcher.hpp"

namespace kova::win32 {

class ConsoleLauncher : public EngineLauncher {
 public:
  void start(const std::string& engine_name) override;
};

}  // namespace kova::win32
