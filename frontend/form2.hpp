#pragma once
// The input parameters window "Input parameters": number of genes, number of samples and the
// correlation threshold, written by "Submit".

#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

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
  QGroupBox* frame1_;
  QLineEdit* text1_;
  QLabel* label1_;
  QLineEdit* text2_;
  QLabel* label2_;
  QLineEdit* text3_;
  QLabel* label3_;
  QPushButton* command1_;
};

}  // namespace kova
