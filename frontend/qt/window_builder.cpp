#include "frontend/qt/window_builder.hpp"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStyle>
#include <QStyleOptionButton>
#include <limits>

#include "frontend/qt/wrapping_button.hpp"

namespace kova {
namespace {

QString text_of(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QRect pixels(const TwipsRect& r, double scale) {
  return {scaled(r.left, scale), scaled(r.top, scale), scaled(r.width, scale), scaled(r.height, scale)};
}

// A label as tall as two lines wraps a caption wider than itself onto the second line.
bool wraps(const QLabel& label, int height) { return height >= 2 * label.fontMetrics().lineSpacing(); }

bool fits_label(const QLabel& label, QSize room) {
  const QFontMetrics metrics = label.fontMetrics();
  if (!wraps(label, room.height())) {
    return metrics.horizontalAdvance(label.text()) <= room.width() && metrics.height() <= room.height();
  }
  const QRect needed = metrics.boundingRect(QRect(QPoint(0, 0), room), Qt::TextWordWrap, label.text());
  return needed.width() <= room.width() && needed.height() <= room.height();
}

// The caption as WrappingButton draws it: word-wrapped within the style's contents rectangle.
bool fits_button(const QPushButton& button, QSize room) {
  QStyleOptionButton option;
  option.initFrom(&button);
  option.rect = QRect(QPoint(0, 0), room);
  option.text = button.text();
  const QRect contents = button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button);
  const QRect needed = button.fontMetrics().boundingRect(contents, Qt::AlignCenter | Qt::TextWordWrap, button.text());
  return needed.width() <= contents.width() && needed.height() <= contents.height();
}

// The title sits on the frame's top edge, indented by about a character on either side.
bool fits_frame(const QGroupBox& frame, QSize room) {
  const QFontMetrics metrics = frame.fontMetrics();
  return metrics.horizontalAdvance(frame.title()) + 4 * metrics.averageCharWidth() <= room.width();
}

bool caption_fits(const QWidget& widget, QSize room) {
  if (const auto* label = qobject_cast<const QLabel*>(&widget)) return fits_label(*label, room);
  if (const auto* button = qobject_cast<const QPushButton*>(&widget)) return fits_button(*button, room);
  if (const auto* frame = qobject_cast<const QGroupBox*>(&widget)) return fits_frame(*frame, room);
  return true;
}

QPlainTextEdit* help_pane(QWidget* container) {
  auto* pane = new QPlainTextEdit(container);
  // Nothing reads the pane back: it shows the messages, selectable for copying.
  pane->setReadOnly(true);
  pane->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  pane->setFocusPolicy(Qt::StrongFocus);
  pane->setTabChangesFocus(true);
  pane->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  pane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  pane->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  return pane;
}

QWidget* create(const ControlSpec& entry, QWidget* container) {
  const QString caption = text_of(entry.caption);
  switch (entry.kind) {
    case ControlKind::kButton:
      return new WrappingButton(caption, container);
    case ControlKind::kFrame:
      return new QGroupBox(caption, container);
    case ControlKind::kLabel:
      return new QLabel(caption, container);
    case ControlKind::kTextBox: {
      auto* box = new QLineEdit(container);
      box->setMaxLength(std::numeric_limits<int>::max());  // any text, of any length
      return box;
    }
    case ControlKind::kHelpPane:
      return help_pane(container);
  }
  return nullptr;
}

}  // namespace

BuiltControls build_window(QWidget& window, const WindowLayout& layout) {
  window.setObjectName(text_of(layout.name));
  window.setWindowTitle(text_of(layout.caption));

  BuiltControls built;
  // Containers come before what they contain in every table.
  for (const ControlSpec& entry : layout.controls) {
    QWidget* container = entry.container.empty() ? &window : built.widgets_.at(std::string(entry.container));
    QWidget* widget = create(entry, container);
    widget->setObjectName(text_of(entry.name));
    built.widgets_[std::string(entry.name)] = widget;
  }
  // The twips grow with the window's font, and further where a caption would be clipped.
  const double scale =
      scale_to_fit(layout, pixels_per_twip(window.fontMetrics().height(), window.logicalDpiY()),
                   [&](const ControlSpec& entry, double at) {
                     return caption_fits(*built.widgets_.at(std::string(entry.name)), pixels(entry.rect, at).size());
                   });
  window.resize(scaled(layout.client_width, scale), scaled(layout.client_height, scale));
  for (const ControlSpec& entry : layout.controls) {
    QWidget* widget = built.widgets_.at(std::string(entry.name));
    widget->setGeometry(pixels(entry.rect, scale));
    if (auto* label = qobject_cast<QLabel*>(widget)) label->setWordWrap(wraps(*label, label->height()));
  }
  // Controls of the window that lie over a frame are drawn in front of it.
  for (const ControlSpec& entry : layout.controls) {
    if (entry.kind == ControlKind::kFrame) built.widgets_.at(std::string(entry.name))->lower();
  }
  const std::vector<const ControlSpec*> order = focus_order(layout);
  for (std::size_t i = 1; i < order.size(); ++i) {
    QWidget::setTabOrder(built.widgets_.at(std::string(order[i - 1]->name)),
                         built.widgets_.at(std::string(order[i]->name)));
  }
  if (!order.empty()) built.widgets_.at(std::string(order.front()->name))->setFocus();
  return built;
}

}  // namespace kova
