#pragma once
// Error messages of the front end: a message box in the program, recorded in tests.

#include <QString>

class QWidget;

namespace kova {

class Alert {
 public:
  virtual ~Alert() = default;
  virtual void error(QWidget* parent, const QString& text) = 0;
};

class MessageBoxAlert : public Alert {
 public:
  void error(QWidget* parent, const QString& text) override;
};

}  // namespace kova
