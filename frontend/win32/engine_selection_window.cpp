#include "frontend/win32/engine_selection_window.hpp"

#include "frontend/win32/main_window.hpp"

namespace kova::win32 {

Form3::Form3(Workflow& workflow, EngineLauncher& launcher, Form1& main_window)
    : workflow_(workflow), launcher_(launcher), main_window_(main_window), window_(engine_selection_layout(), false) {
  window_.on_click("Command1", [this] { start(Engine::kKova1); });
  window_.on_click("Command2", [this] { start(Engine::kKova2); });
  // Closing from the title bar brings the main window back without starting an engine.
  window_.on_close([this] {
    window_.hide();
    main_window_.show_again();
  });
}

void Form3::start(Engine engine) {
  window_.hide();
  main_window_.show_again();
  try {
    workflow_.start_engine(engine, launcher_);
  } catch (const std::runtime_error& e) {  // WorkflowError or LaunchError
    main_window_.show_error(e.what());
  }
}

}  // namespace kova::win32
