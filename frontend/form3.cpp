#include "frontend/form3.hpp"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>

#include "frontend/alert.hpp"
#include "frontend/form1.hpp"
#include "frontend/twips.hpp"
#include "frontend/workflow.hpp"
#include "frontend/wrapping_button.hpp"

namespace kova {

Form3::Form3(Workflow& workflow, Alert& alert, EngineLauncher& launcher, Form1& main_window)
    : workflow_(workflow), alert_(alert), launcher_(launcher), main_window_(main_window) {
  setObjectName("Form3");
  setWindowTitle("Execute");
  size_client_area(*this, 2205, 2160);

  command1_ = new WrappingButton("KOVA", this);
  command1_->setObjectName("Command1");
  place(*command1_, {360, 360, 1335, 375});
  label1_ = new QLabel("OR", this);
  label1_->setObjectName("Label1");
  place(*label1_, {840, 960, 975, 375});
  command2_ = new WrappingButton("KOVA (no overlapping)", this);
  command2_->setObjectName("Command2");
  place(*command2_, {120, 1440, 1935, 495});

  setTabOrder(command1_, command2_);
  command1_->setFocus();

  connect(command1_, &QPushButton::clicked, this, [this] { start(Engine::Kova1); });
  connect(command2_, &QPushButton::clicked, this, [this] { start(Engine::Kova2); });
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
  } catch (const WorkflowError& e) {
    alert_.error(&main_window_, e.text());
  } catch (const LaunchError& e) {
    alert_.error(&main_window_, e.text());
  }
}

}  // namespace kova
