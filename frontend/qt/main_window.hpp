#pragma once
// The main window "KOVA": one button per step of preparing a run, and the help pane.

#include <QWidget>
#include <memory>

class QPlainTextEdit;

namespace kova {

class Alert;
class EngineLauncher;
class FileDialog;
class Form2;
class Form3;
class Workflow;

struct FrontEndServices {
  Workflow& workflow;
  FileDialog& file_dialog;
  Alert& alert;
  EngineLauncher& launcher;
};

class Form1 : public QWidget {
  Q_OBJECT

 public:
  explicit Form1(const FrontEndServices& services);
  ~Form1() override;

  // Offered to the other two windows.
  void show_again();
  void set_help_text(const QString& text);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void select_input();
  void enter_input_description();
  void enter_output();
  void start_biclustering();
  void take_focus_back();

  FrontEndServices services_;
  QPlainTextEdit* help_pane_;
  // Created on their first showing, afterwards only hidden, so that they keep their state.
  std::unique_ptr<Form2> form2_;
  std::unique_ptr<Form3> form3_;
};

}  // namespace kova
