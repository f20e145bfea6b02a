#pragma once
// The engine selection window "Execute": one button per engine.

#include <QWidget>

#include "frontend/core/engine_launcher.hpp"

namespace kova {

class Alert;
class Form1;
class Workflow;

class Form3 : public QWidget {
  Q_OBJECT

 public:
  Form3(Workflow& workflow, Alert& alert, EngineLauncher& launcher, Form1& main_window);

 protected:
  // Closing from the title bar brings the main window back without starting an engine.
  void closeEvent(QCloseEvent* event) override;

 private:
  void start(Engine engine);

  Workflow& workflow_;
  Alert& alert_;
  EngineLauncher& launcher_;
  Form1& main_window_;
};

}  // namespace kova
