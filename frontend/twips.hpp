#pragma once
// Window layouts are given in twips (1440 per inch); they become pixels at the logical DPI of the
// screen the widget is on.

#include <QWidget>

namespace kova {

struct TwipsRect {
  int left;
  int top;
  int width;
  int height;
};

inline int twips_to_pixels(int twips, int dots_per_inch) { return (twips * dots_per_inch + 720) / 1440; }

// Places `widget` within its container, or sizes the client area of a window (left and top 0).
inline void place(QWidget& widget, const TwipsRect& r) {
  const int dx = widget.logicalDpiX();
  const int dy = widget.logicalDpiY();
  widget.setGeometry(twips_to_pixels(r.left, dx), twips_to_pixels(r.top, dy), twips_to_pixels(r.width, dx),
                     twips_to_pixels(r.height, dy));
}

inline void size_client_area(QWidget& window, int width_twips, int height_twips) {
  window.resize(twips_to_pixels(width_twips, window.logicalDpiX()), twips_to_pixels(height_twips, window.logicalDpiY()));
}

}  // namespace kova
