#include "frontend/win32/input_parameters_window.hpp"

#include "frontend/win32/main_window.hpp"

namespace kova::win32 {

Form2::Form2(Workflow& workflow, Form1& main_window)
    : workflow_(workflow), main_window_(main_window), window_(input_parameters_layout(), false) {
  window_.on_click("Command1", [this] { submit(); });
  // Closing from the title bar brings the main window back, as "Submit" does.
  window_.on_close([this] {
    window_.hide();
    main_window_.show_again();
  });
}

void Form2::submit() {
  const RunParameters parameters{window_.text("Text1"), window_.text("Text2"), window_.text("Text3")};
  // Entries that disagree with the chosen matrix go in only when the user says so.
  if (const auto question = workflow_.compare_with_input(parameters)) {
    const bool agreed = ask(window_.handle(), *question);
    window_.take_focus();
    if (!agreed) return;
  }
  std::string message;
  try {
    message = workflow_.submit(parameters);
  } catch (const WorkflowError& e) {
    // Stays open with the entries as typed, so that the user can try again.
    show_error(window_.handle(), e.what());
    window_.take_focus();
    return;
  }
  window_.hide();
  main_window_.show_again();
  main_window_.set_help_text(message);
}

}  // namespace kova::win32
