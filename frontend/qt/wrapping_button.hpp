#pragma once
// A push button whose caption wraps onto further lines when it is wider than the button, so that
// captions such as "Enter Input Description" fit the two-line buttons of the layouts. Enter and
// Return press it when it has the focus, as Space does.

#include <QPushButton>

namespace kova {

class WrappingButton : public QPushButton {
  Q_OBJECT

 public:
  WrappingButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {}

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace kova
