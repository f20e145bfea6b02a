#include "frontend/qt/input_parameters_window.hpp"

#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>

#include "frontend/core/workflow.hpp"
#include "frontend/qt/alert.hpp"
#include "frontend/qt/main_window.hpp"
#include "frontend/qt/window_builder.hpp"

namespace kova {

Form2::Form2(Workflow& workflow, Alert& alert, Form1& main_window)
    : workflow_(workflow), alert_(alert), main_window_(main_window) {
  const BuiltControls controls = build_window(*this, input_parameters_layout());
  genes_ = controls.get<QLineEdit>("Text1");
  samples_ = controls.get<QLineEdit>("Text2");
  threshold_ = controls.get<QLineEdit>("Text3");
  connect(controls.get<QPushButton>("Command1"), &QPushButton::clicked, this, &Form2::submit);
}

void Form2::closeEvent(QCloseEvent* event) {
  event->ignore();
  hide();
  main_window_.show_again();
}

void Form2::submit() {
  const RunParameters parameters{genes_->text().toLocal8Bit().toStdString(),
                                 samples_->text().toLocal8Bit().toStdString(),
                                 threshold_->text().toLocal8Bit().toStdString()};
  // Entries that disagree with the chosen matrix go in only when the user says so.
  if (const auto question = workflow_.compare_with_input(parameters)) {
    if (!alert_.ask(this, QString::fromLocal8Bit(*question))) return;
  }
  QString message;
  try {
    message = QString::fromLocal8Bit(workflow_.submit(parameters));
  } catch (const WorkflowError& e) {
    // Stays open with the entries as typed, so that the user can try again.
    alert_.error(this, QString::fromLocal8Bit(e.what()));
    return;
  }
  hide();
  main_window_.show_again();
  main_window_.set_help_text(message);
}

}  // namespace kova
