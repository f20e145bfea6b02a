#include "frontend/qt/main_window.hpp"

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QPlainTextEdit>
#include <QPushButton>

#include "frontend/core/workflow.hpp"
#include "frontend/qt/alert.hpp"
#include "frontend/qt/engine_selection_window.hpp"
#include "frontend/qt/file_dialog.hpp"
#include "frontend/qt/input_parameters_window.hpp"
#include "frontend/qt/window_builder.hpp"

namespace kova {

Form1::Form1(const FrontEndServices& services) : services_(services) {
  const BuiltControls controls = build_window(*this, main_window_layout());
  QIcon icon;
  icon.addFile(":/kova/icons/kova16.png", QSize(16, 16));
  icon.addFile(":/kova/icons/kova32.png", QSize(32, 32));
  setWindowIcon(icon);
  help_pane_ = controls.get<QPlainTextEdit>("Text1");

  connect(controls.get<QPushButton>("Open"), &QPushButton::clicked, this, &Form1::select_input);
  connect(controls.get<QPushButton>("Command4"), &QPushButton::clicked, this, &Form1::enter_input_description);
  connect(controls.get<QPushButton>("Command1"), &QPushButton::clicked, this, &Form1::enter_output);
  connect(controls.get<QPushButton>("Command2"), &QPushButton::clicked, this, &Form1::start_biclustering);
  connect(controls.get<QPushButton>("Command3"), &QPushButton::clicked, this, &QWidget::close);
}

Form1::~Form1() = default;

void Form1::show_again() {
  show();
  raise();
  activateWindow();
}

// The keys go to this window again once a dialog has closed, also where no window manager hands
// the focus back.
void Form1::take_focus_back() {
  raise();
  activateWindow();
}

void Form1::set_help_text(const QString& text) { help_pane_->setPlainText(text); }

void Form1::closeEvent(QCloseEvent* event) {
  // The main window's close ends the program, also when another window is merely hidden.
  event->accept();
  if (form2_) form2_->hide();
  if (form3_) form3_->hide();
  QApplication::quit();
}

void Form1::select_input() {
  try {
    const auto message = services_.workflow.select_input(services_.file_dialog);
    if (message) set_help_text(QString::fromLocal8Bit(*message));
  } catch (const WorkflowError& e) {
    services_.alert.error(this, QString::fromLocal8Bit(e.what()));
  }
  take_focus_back();
}

void Form1::enter_input_description() {
  if (!form2_) form2_ = std::make_unique<Form2>(services_.workflow, services_.alert, *this);
  hide();
  form2_->show();
  form2_->raise();
  form2_->activateWindow();
}

void Form1::enter_output() {
  try {
    const auto message = services_.workflow.select_output(services_.file_dialog);
    if (message) set_help_text(QString::fromLocal8Bit(*message));
  } catch (const WorkflowError& e) {
    services_.alert.error(this, QString::fromLocal8Bit(e.what()));
  }
  take_focus_back();
}

void Form1::start_biclustering() {
  try {
    services_.workflow.start_biclustering();
  } catch (const WorkflowError& e) {
    services_.alert.error(this, QString::fromLocal8Bit(e.what()));
    return;
  }
  if (!form3_) form3_ = std::make_unique<Form3>(services_.workflow, services_.alert, services_.launcher, *this);
  hide();
  form3_->show();
  form3_->raise();
  form3_->activateWindow();
}

}  // namespace kova
