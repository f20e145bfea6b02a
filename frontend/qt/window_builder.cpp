#include "frontend/qt/window_builder.hpp"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <limits>

#include "frontend/qt/wrapping_button.hpp"

namespace kova {
namespace {

QString text_of(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

void place(QWidget& widget, const TwipsRect& r) {
  const int dx = widget.logicalDpiX();
  const int dy = widget.logicalDpiY();
  widget.setGeometry(twips_to_pixels(r.left, dx), twips_to_pixels(r.top, dy), twips_to_pixels(r.width, dx),
                     twips_to_pixels(r.height, dy));
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

QWidget* create(const ControlSpec& spec, QWidget* container) {
  const QString caption = text_of(spec.caption);
  switch (spec.kind) {
    case ControlKind::Button:
      return new WrappingButton(caption, container);
    case ControlKind::Frame:
      return new QGroupBox(caption, container);
    case ControlKind::Label:
      return new QLabel(caption, container);
    case ControlKind::TextBox: {
      auto* box = new QLineEdit(container);
      box->setMaxLength(std::numeric_limits<int>::max());  // any text, of any length
      return box;
    }
    case ControlKind::HelpPane:
      return help_pane(container);
  }
  return nullptr;
}

}  // namespace

BuiltControls build_window(QWidget& window, const WindowLayout& layout) {
  window.setObjectName(text_of(layout.name));
  window.setWindowTitle(text_of(layout.caption));
  window.resize(twips_to_pixels(layout.client_width, window.logicalDpiX()),
                twips_to_pixels(layout.client_height, window.logicalDpiY()));

  BuiltControls built;
  // Containers come before what they contain in every table.
  for (const ControlSpec& spec : layout.controls) {
    QWidget* container = spec.container.empty() ? &window : built.widgets_.at(std::string(spec.container));
    QWidget* widget = create(spec, container);
    widget->setObjectName(text_of(spec.name));
    place(*widget, spec.rect);
    if (auto* label = qobject_cast<QLabel*>(widget)) {
      // A label tall enough for two lines wraps a caption wider than itself onto the second line.
      label->setWordWrap(label->height() >= 2 * label->fontMetrics().lineSpacing());
    }
    built.widgets_[std::string(spec.name)] = widget;
  }
  // Controls of the window that lie over a frame are drawn in front of it.
  for (const ControlSpec& spec : layout.controls) {
    if (spec.kind == ControlKind::Frame) built.widgets_.at(std::string(spec.name))->lower();
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
