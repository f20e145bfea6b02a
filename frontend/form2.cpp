#include "frontend/form2.hpp"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <limits>

#include "frontend/alert.hpp"
#include "frontend/form1.hpp"
#include "frontend/twips.hpp"
#include "frontend/workflow.hpp"
#include "frontend/wrapping_button.hpp"

namespace kova {
namespace {

QLineEdit* box(QWidget* container, const char* name, const TwipsRect& where) {
  auto* b = new QLineEdit(container);
  b->setObjectName(name);
  b->setMaxLength(std::numeric_limits<int>::max());  // any text, of any length
  place(*b, where);
  return b;
}

QLabel* label(QWidget* container, const char* name, const char* caption, const TwipsRect& where) {
  auto* l = new QLabel(caption, container);
  l->setObjectName(name);
  place(*l, where);
  // A label tall enough for two lines wraps a caption wider than itself onto the second line.
  l->setWordWrap(l->height() >= 2 * l->fontMetrics().lineSpacing());
  return l;
}

}  // namespace

Form2::Form2(Workflow& workflow, Alert& alert, Form1& main_window)
    : workflow_(workflow), alert_(alert), main_window_(main_window) {
  setObjectName("Form2");
  setWindowTitle("Input parameters");
  size_client_area(*this, 4680, 3930);

  frame1_ = new QGroupBox("Enter Data", this);
  frame1_->setObjectName("Frame1");
  place(*frame1_, {360, 240, 4095, 2895});
  label1_ = label(frame1_, "Label1", "Number of Genes in Input File", {1320, 480, 2295, 495});
  text2_ = box(frame1_, "Text2", {120, 1200, 1095, 375});
  label2_ = label(frame1_, "Label2", "Number of Samples in Input File", {1320, 1320, 2415, 255});
  text3_ = box(frame1_, "Text3", {120, 1920, 1095, 375});
  label3_ = label(frame1_, "Label3", "Correlation threshold", {1320, 2040, 1575, 255});
  // Belongs to the window, not the frame, and lies over the frame's column of boxes.
  text1_ = box(this, "Text1", {480, 600, 1095, 375});
  text1_->raise();
  command1_ = new WrappingButton("Submit", this);
  command1_->setObjectName("Command1");
  place(*command1_, {1680, 3240, 1095, 495});

  setTabOrder(text1_, text2_);
  setTabOrder(text2_, command1_);
  setTabOrder(command1_, text3_);
  text1_->setFocus();

  connect(command1_, &QPushButton::clicked, this, &Form2::submit);
}

void Form2::closeEvent(QCloseEvent* event) {
  event->ignore();
  hide();
  main_window_.show_again();
}

void Form2::submit() {
  QString message;
  try {
    message = workflow_.submit({text1_->text(), text2_->text(), text3_->text()});
  } catch (const WorkflowError& e) {
    // Stays open with the entries as typed, so that the user can try again.
    alert_.error(this, e.text());
    return;
  }
  hide();
  main_window_.show_again();
  main_window_.set_help_text(message);
}

}  // namespace kova
