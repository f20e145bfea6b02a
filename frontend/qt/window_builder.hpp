#pragma once
// Builds a Qt window's controls from its control table: each control in its container, placed at
// its twips scaled with the window's font (so that every caption shows whole), frames behind,
// focus in tab order.

#include <QWidget>
#include <map>
#include <string>
#include <string_view>

#include "frontend/core/window_layouts.hpp"

namespace kova {

class BuiltControls {
 public:
  // The control of that name, as the Qt class it was built as.
  template <typename Widget>
  Widget* get(std::string_view name) const {
    return qobject_cast<Widget*>(widgets_.at(std::string(name)));
  }

 private:
  friend BuiltControls build_window(QWidget& window, const WindowLayout& layout);
  std::map<std::string, QWidget*> widgets_;
};

// Names and titles the window, sizes its client area and creates its controls.
BuiltControls build_window(QWidget& window, const WindowLayout& layout);

}  // namespace kova
