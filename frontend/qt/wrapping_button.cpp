#include "frontend/qt/wrapping_button.hpp"

#include <QKeyEvent>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace kova {

void WrappingButton::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && !event->isAutoRepeat()) {
    event->accept();
    click();
    return;
  }
  QPushButton::keyPressEvent(event);
}

void WrappingButton::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  const QString caption = option.text;
  option.text.clear();
  painter.drawControl(QStyle::CE_PushButton, option);
  const QRect room = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
  painter.drawItemText(room, Qt::AlignCenter | Qt::TextWordWrap, palette(), isEnabled(), caption, QPalette::ButtonText);
}

}  // namespace kova
