#pragma once
// The input parameters window "Input parameters": number of genes, number of samples and the
// correlation threshold, written by "Submit".

#include <QWidget>

class QLineEdit;

namespace kova {

class Alert;
class Form1;
class Workflow;

class Form2 : public QWidget {
  Q_OBJECT

 public:
  Form2(Workflow& workflow, Alert& alert, Form1& main_window);

 protected:
  // Closing from the title bar brings the main window back, as "Submit" does.
  void closeEvent(QCloseEvent* event) override;

 private:
  void submit();

  Workflow& workflow_;
  Alert& alert_;
  Form1& main_window_;
  QLineEdit* genes_;
  QLineEdit* samples_;
  QLineEdit* threshold_;
};

}  // namespace kova
