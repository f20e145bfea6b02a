#pragma once
// The real engine start: the engine is looked for in the front end's own folder first and then on
// the search path, and started detached in a console or terminal window of its own, so that the
// user can answer its prompt and it outlives the front end.

#include <QString>

#include "frontend/core/engine_launcher.hpp"

namespace kova {

// The engine `name` in `own_folder` if it is an executable file there, else the one the search
// path gives; empty when there is none.
QString find_engine(const QString& name, const QString& own_folder);

// Starts the program at `engine_path` without arguments in a window of its own, in the current
// folder, without waiting. One implementation per platform. Throws LaunchError.
void start_in_own_window(const QString& engine_path);

class ProcessLauncher : public EngineLauncher {
 public:
  void start(const std::string& engine_name) override;
};

}  // namespace kova
