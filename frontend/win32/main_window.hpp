#pragma once
// The main window "KOVA" (Form1) on Win32: one button per step of preparing a run, and the help
// pane. It and the other two windows (input_parameters_window.hpp, engine_selection_window.hpp)
// are thin shells that hand their clicks to the workflow.

#include <memory>
#include <string>

#include "frontend/core/engine_launcher.hpp"
#include "frontend/core/workflow.hpp"
#include "frontend/win32/engine_selection_window.hpp"
#include "frontend/win32/file_dialog.hpp"
#include "frontend/win32/form_window.hpp"
#include "frontend/win32/input_parameters_window.hpp"

namespace kova::win32 {

// An error in a message box over `owner`.
void show_error(HWND owner, const std::string& text);
// A yes or no question over `owner`; No is the answer Enter gives.
bool ask(HWND owner, const std::string& question);

class Form1 {
 public:
  Form1(Workflow& workflow, EngineLauncher& launcher);
  void show() { window_.show(); }
  // Offered to the other two windows.
  void show_again() { window_.show(); }
  void set_help_text(const std::string& text) { window_.set_text("Text1", text); }
  // An error in a message box over the main window, which then has the focus back.
  void show_error(const std::string& text);

 private:
  void select_input();
  void enter_input_description();
  void enter_output();
  void start_biclustering();

  Workflow& workflow_;
  EngineLauncher& launcher_;
  FormWindow window_;
  CommonFileDialog dialog_;
  // Created on their first showing, afterwards only hidden, so that they keep their state.
  std::unique_ptr<Form2> form2_;
  std::unique_ptr<Form3> form3_;
};

}  // namespace kova::win32
