#include "frontend/win32/main_window.hpp"

namespace kova::win32 {

void show_error(HWND owner, const std::string& text) { MessageBoxA(owner, text.c_str(), "KOVA", MB_OK | MB_ICONERROR); }

bool ask(HWND owner, const std::string& question) {
  return MessageBoxA(owner, question.c_str(), "KOVA", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

Form1::Form1(Workflow& workflow, EngineLauncher& launcher)
    : workflow_(workflow), launcher_(launcher), window_(main_window_layout(), true), dialog_(window_.handle()) {
  window_.on_click("Open", [this] { select_input(); });
  window_.on_click("Command4", [this] { enter_input_description(); });
  window_.on_click("Command1", [this] { enter_output(); });
  window_.on_click("Command2", [this] { start_biclustering(); });
  // "Exit" and the title bar's close end the program; hidden windows go with it.
  window_.on_click("Command3", [] { PostQuitMessage(0); });
  window_.on_close([] { PostQuitMessage(0); });
}

void Form1::show_error(const std::string& text) {
  win32::show_error(window_.handle(), text);
  window_.take_focus();
}

void Form1::select_input() {
  try {
    const auto message = workflow_.select_input(dialog_);
    window_.take_focus();
    if (message) set_help_text(*message);
  } catch (const WorkflowError& e) {
    show_error(e.what());
  }
}

void Form1::enter_input_description() {
  if (!form2_) form2_ = std::make_unique<Form2>(workflow_, *this);
  window_.hide();
  form2_->show();
}

void Form1::enter_output() {
  try {
    const auto message = workflow_.select_output(dialog_);
    window_.take_focus();
    if (message) set_help_text(*message);
  } catch (const WorkflowError& e) {
    show_error(e.what());
  }
}

void Form1::start_biclustering() {
  try {
    workflow_.start_biclustering();
  } catch (const WorkflowError& e) {
    show_error(e.what());
    return;
  }
  if (!form3_) form3_ = std::make_unique<Form3>(workflow_, launcher_, *this);
  window_.hide();
  form3_->show();
}

}  // namespace kova::win32
