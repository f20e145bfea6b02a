#include <algorithm>
#include <cstdint>
#include <vector>

#include "viewer/qt/chart_drawing.hpp"
#include "viewer/qt/drawing_parts.hpp"

namespace kova::viewer {

void draw_membership(QPainter& painter, QRect area, std::span<const std::int32_t> counts,
                     std::span<const std::int32_t> highlighted, const QString& title) {
  const int samples = static_cast<int>(counts.size());
  const std::int32_t most = counts.empty() ? 0 : *std::max_element(counts.begin(), counts.end());
  const Plot plot = plot_frame(painter, area, samples, title, QString::number(most));
  std::vector<bool> marked(counts.size(), false);
  for (std::int32_t s : highlighted) marked[static_cast<std::size_t>(s)] = true;

  const double width = static_cast<double>(plot.frame.width()) / std::max(samples, 1);
  const double gap = width >= 4 ? 1.0 : 0.0;
  for (int s = 0; s < samples; ++s) {
    const double height = most > 0 ? static_cast<double>(counts[s]) / most * plot.frame.height() : 0.0;
    painter.fillRect(QRectF(plot.frame.left() + s * width + gap / 2, plot.frame.bottom() - height, width - gap, height),
                     marked[static_cast<std::size_t>(s)] ? kMarkerColour : QColor(90, 110, 140));
  }
  const QFontMetrics font = painter.fontMetrics();
  painter.setPen(Qt::black);
  for (std::int32_t value : {0, most}) {
    const double y = plot.frame.bottom() - (most > 0 ? static_cast<double>(value) / most * plot.frame.height() : 0.0);
    const QString label = QString::number(value);
    painter.drawText(QPointF(plot.frame.left() - 4 - font.horizontalAdvance(label), y + font.ascent() / 2.0), label);
  }
  draw_sample_axis(painter, plot, samples);
}

}  // namespace kova::viewer
