#include "frontend/form1.hpp"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QIcon>
#include <QPlainTextEdit>
#include <QPushButton>

#include "frontend/alert.hpp"
#include "frontend/file_dialog.hpp"
#include "frontend/form2.hpp"
#include "frontend/form3.hpp"
#include "frontend/twips.hpp"
#include "frontend/workflow.hpp"
#include "frontend/wrapping_button.hpp"

namespace kova {
namespace {

QPushButton* button(QWidget* container, const char* name, const char* caption, const TwipsRect& where) {
  auto* b = new WrappingButton(caption, container);
  b->setObjectName(name);
  place(*b, where);
  return b;
}

QGroupBox* frame(QWidget* container, const char* name, const char* caption, const TwipsRect& where) {
  auto* f = new QGroupBox(caption, container);
  f->setObjectName(name);
  place(*f, where);
  return f;
}

}  // namespace

Form1::Form1(const FrontEndServices& services) : services_(services) {
  setObjectName("Form1");
  setWindowTitle("KOVA");
  QIcon icon;
  icon.addFile(":/kova/icons/kova16.png", QSize(16, 16));
  icon.addFile(":/kova/icons/kova32.png", QSize(32, 32));
  setWindowIcon(icon);
  size_client_area(*this, 5400, 3810);

  frame1_ = frame(this, "Frame1", "Controls", {120, 240, 2055, 3495});
  command4_ = button(frame1_, "Command4", "Enter Input Description", {120, 960, 1695, 495});
  command1_ = button(frame1_, "Command1", "Enter Output File Name", {120, 1680, 1695, 495});
  command2_ = button(frame1_, "Command2", "Start Biclustering", {120, 2280, 1695, 375});
  command3_ = button(frame1_, "Command3", "Exit", {480, 2880, 735, 495});
  // Belongs to the window, not the frame, and lies over the frame's column of buttons.
  open_ = button(this, "Open", "Select Input File", {240, 600, 1695, 375});
  open_->raise();

  frame2_ = frame(this, "Frame2", "Help Window", {3000, 360, 2175, 3255});
  text1_ = new QPlainTextEdit(frame2_);
  text1_->setObjectName("Text1");
  place(*text1_, {120, 240, 1935, 2895});
  text1_->setReadOnly(true);
  text1_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  text1_->setFocusPolicy(Qt::StrongFocus);
  text1_->setTabChangesFocus(true);
  text1_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  text1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  text1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

  setTabOrder(open_, command1_);
  setTabOrder(command1_, command2_);
  setTabOrder(command2_, command3_);
  setTabOrder(command3_, text1_);
  setTabOrder(text1_, command4_);
  open_->setFocus();

  connect(open_, &QPushButton::clicked, this, &Form1::select_input);
  connect(command4_, &QPushButton::clicked, this, &Form1::enter_input_description);
  connect(command1_, &QPushButton::clicked, this, &Form1::enter_output);
  connect(command2_, &QPushButton::clicked, this, &Form1::start_biclustering);
  connect(command3_, &QPushButton::clicked, this, &QWidget::close);
}

Form1::~Form1() = default;

void Form1::show_again() {
  show();
  raise();
  activateWindow();
}

void Form1::set_help_text(const QString& text) { text1_->setPlainText(text); }

void Form1::closeEvent(QCloseEvent* event) {
  // The main window's close ends the program, also when another window is merely hidden.
  event->accept();
  if (form2_) form2_->hide();
  if (form3_) form3_->hide();
  QApplication::quit();
}

void Form1::select_input() {
  try {
    const auto message = services_.workflow.select_input(
        [this] { return services_.file_dialog.choose_open("Select Input File for Clustering"); });
    if (message) set_help_text(*message);
  } catch (const WorkflowError& e) {
    services_.alert.error(this, e.text());
  }
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
    const auto message = services_.workflow.select_output(
        [this] { return services_.file_dialog.choose_save("Enter Output File for Storing Clustered Output"); });
    if (message) set_help_text(*message);
  } catch (const WorkflowError& e) {
    services_.alert.error(this, e.text());
  }
}

void Form1::start_biclustering() {
  try {
    services_.workflow.start_biclustering();
  } catch (const WorkflowError& e) {
    services_.alert.error(this, e.text());
    return;
  }
  if (!form3_) form3_ = std::make_unique<Form3>(services_.workflow, services_.alert, services_.launcher, *this);
  hide();
  form3_->show();
  form3_->raise();
  form3_->activateWindow();
}

}  // namespace kova
