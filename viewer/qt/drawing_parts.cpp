#include "viewer/qt/drawing_parts.hpp"

#include <algorithm>

namespace kova::viewer {
namespace {

constexpr int kSwatch = 10;

}  // namespace

int widest(const QStringList& texts, const QFontMetrics& font) {
  int width = 0;
  for (const QString& text : texts) width = std::max(width, font.horizontalAdvance(text));
  return width;
}

int title_height(const QFontMetrics& font) { return font.height() + 6; }

int legend_width(const std::vector<LegendLine>& lines, const QFontMetrics& font) {
  int width = 0;
  for (const LegendLine& line : lines) width = std::max(width, font.horizontalAdvance(line.text) + kSwatch + 6);
  return width;
}

void draw_legend_lines(QPainter& painter, const std::vector<LegendLine>& lines, int x, int y) {
  const QFontMetrics font = painter.fontMetrics();
  for (const LegendLine& line : lines) {
    int text_x = x;
    if (line.swatch) {
      painter.fillRect(QRect(x, y + (font.height() - kSwatch) / 2, kSwatch, kSwatch), *line.swatch);
      text_x += kSwatch + 6;
    }
    painter.setPen(Qt::black);
    painter.drawText(QPoint(text_x, y + font.ascent()), line.text);
    y += font.height();
  }
}

Plot plot_frame(QPainter& painter, QRect area, int samples, const QString& title, const QString& widest_y_label,
                const QStringList& labels, const std::vector<ClassBar>* class_bars, int legend_width) {
  const QFontMetrics font = painter.fontMetrics();
  painter.fillRect(area, Qt::white);
  painter.setPen(Qt::black);
  painter.drawText(QPoint(area.left() + kPad, area.top() + kPad + font.ascent()), title);
  const int bars = class_bars != nullptr ? static_cast<int>(class_bars->size()) : 0;
  const int left = area.left() + kPad + font.horizontalAdvance(widest_y_label) + 6;
  const int top = area.top() + kPad + title_height(font) + 4;
  const int right = area.right() - kPad - (legend_width > 0 ? legend_width + kPad : 0);
  const int bottom = area.bottom() - kPad - font.height() - 4 - bars * kClassBarStep;
  Plot plot;
  plot.labels = labels;
  plot.class_bars = class_bars;
  plot.frame = QRect(QPoint(left, top), QPoint(std::max(left + 1, right), std::max(top + 1, bottom)));
  const int label_width =
      (labels.isEmpty() ? font.horizontalAdvance(QString::number(std::max(samples, 1))) : widest(labels, font)) + 8;
  const int fit = std::max(1, plot.frame.width() / label_width);
  plot.label_every = std::max(1, (samples + fit - 1) / fit);
  return plot;
}

double sample_x(const QRect& frame, int samples, int s) {
  return frame.left() + (s + 0.5) * frame.width() / std::max(samples, 1);
}

void draw_sample_axis(QPainter& painter, const Plot& plot, int samples) {
  const QFontMetrics font = painter.fontMetrics();
  painter.setPen(Qt::black);
  painter.drawLine(plot.frame.bottomLeft(), plot.frame.bottomRight());
  painter.drawLine(plot.frame.bottomLeft(), plot.frame.topLeft());
  int labels_top = plot.frame.bottom() + 4;
  if (plot.class_bars != nullptr) {
    const double width = static_cast<double>(plot.frame.width()) / std::max(samples, 1);
    for (const ClassBar& bar : *plot.class_bars) {
      for (int s = 0; s < samples && static_cast<std::size_t>(s) < bar.colours.size(); ++s) {
        painter.fillRect(QRectF(plot.frame.left() + s * width, labels_top - 1, width, kClassBarHeight),
                         bar.colours[static_cast<std::size_t>(s)]);
      }
      labels_top += kClassBarStep;
    }
  }
  for (int s = 0; s < samples; s += plot.label_every) {
    const QString label = s < plot.labels.size() ? plot.labels[s] : QString::number(s + 1);
    const double x = sample_x(plot.frame, samples, s);
    painter.drawText(QPointF(x - font.horizontalAdvance(label) / 2.0, labels_top + font.ascent()), label);
  }
}

}  // namespace kova::viewer
