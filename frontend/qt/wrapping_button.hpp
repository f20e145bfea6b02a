#pragma once
// A push button whose caption wraps onto further lines when it is wider than the button, so that
// captions such as "Enter Input Description" fit the two-line buttons of the layouts.

#include <QPushButton>

namespace kova {

class WrappingButton : public QPushButton {
  Q_OBJECT

 public:
  WrappingButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {}

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace kova
