#include "frontend/qt/wrapping_button.hpp"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace kova {

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
