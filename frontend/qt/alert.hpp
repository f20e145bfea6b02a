#pragma once
// Error messages and questions of the front end: message boxes in the program, recorded in tests.

#include <QString>

class QWidget;

namespace kova {

class Alert {
 public:
  virtual ~Alert() = default;
  virtual void error(QWidget* parent, const QString& text) = 0;
  // A yes-or-no question; true for yes. No is the default answer.
  virtual bool ask(QWidget* parent, const QString& text) = 0;
};

class MessageBoxAlert : public Alert {
 public:
  void error(QWidget* parent, const QString& text) override;
  bool ask(QWidget* parent, const QString& text) override;
};

}  // namespace kova
