#pragma once
// The engine selection window "Execute" (Form3) on Win32: one button per engine.

#include "frontend/core/engine_launcher.hpp"
#include "frontend/core/workflow.hpp"
#include "frontend/win32/form_window.hpp"

namespace kova::win32 {

class Form1;

class Form3 {
 public:
  Form3(Workflow& workflow, EngineLauncher& launcher, Form1& main_window);
  void show() { window_.show(); }

 private:
  void start(Engine engine);

  Workflow& workflow_;
  EngineLauncher& launcher_;
  Form1& main_window_;
  FormWindow window_;
};

}  // namespace kova::win32
