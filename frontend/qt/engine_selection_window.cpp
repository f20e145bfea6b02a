#include "frontend/qt/engine_selection_window.hpp"

#include <QCloseEvent>
#include <QPushButton>

#include "frontend/core/workflow.hpp"
#include "frontend/qt/alert.hpp"
#include "frontend/qt/main_window.hpp"
#include "frontend/qt/window_builder.hpp"

namespace kova {

Form3::Form3(Workflow& workflow, Alert& alert, EngineLauncher& launcher, Form1& main_window)
    : workflow_(workflow), alert_(alert), launcher_(launcher), main_window_(main_window) {
  const BuiltControls controls = build_window(*this, engine_selection_layout());
  connect(controls.get<QPushButton>("Command1"), &QPushButton::clicked, this, [this] { start(Engine::kKova1); });
  connect(controls.get<QPushButton>("Command2"), &QPushButton::clicked, this, [this] { start(Engine::kKova2); });
}

void Form3::closeEvent(QCloseEvent* event) {
  event->ignore();
  hide();
  main_window_.show_again();
}

void Form3::start(Engine engine) {
  hide();
  main_window_.show_again();
  try {
    workflow_.start_engine(engine, launcher_);
  } catch (const std::runtime_error& e) {  // WorkflowError or LaunchError
    alert_.error(&main_window_, QString::fromLocal8Bit(e.what()));
  }
}

}  // namespace kova
