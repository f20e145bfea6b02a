#include <QImage>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "viewer/qt/chart_drawing.hpp"
#include "viewer/qt/drawing_parts.hpp"

namespace kova::viewer {
namespace {

// Above this many genes the profiles are drawn as one density image of the same lines.
constexpr std::size_t kMaxSeparateProfiles = 300;
constexpr double kDensityOpacity = 0.12;
const QColor kDensityColour{31, 80, 160};

QColor profile_colour(std::size_t gene) {
  static const QColor palette[] = {{31, 119, 180}, {255, 127, 14}, {44, 160, 44},  {214, 39, 40},
                                   {148, 103, 189}, {140, 86, 75},  {227, 119, 194}, {23, 190, 207}};
  return palette[gene % std::size(palette)];
}

// The profile legend in at most `lines_fit` lines: each gene's colour, or the density's.
std::vector<LegendLine> gene_legend(const ProfileText& text, std::size_t genes, bool density, const QColor& shade,
                                    std::size_t lines_fit) {
  std::vector<LegendLine> lines;
  if (density) {
    lines.push_back({QStringLiteral("%1 genes, as density").arg(genes), kDensityColour});
  } else {
    const std::size_t room = lines_fit > 2 ? lines_fit - 2 : 1;
    const std::size_t listed = genes <= room ? genes : room - 1;
    for (std::size_t i = 0; i < listed; ++i) {
      lines.push_back({i < static_cast<std::size_t>(text.gene_names.size()) ? text.gene_names[static_cast<qsizetype>(i)]
                                                                            : QString(),
                       profile_colour(i)});
    }
    if (listed < genes) lines.push_back({QStringLiteral("and %1 more").arg(genes - listed), std::nullopt});
  }
  lines.push_back({QStringLiteral("its samples"), shade});
  return lines;
}

// Round steps for an axis from `low` to `high`.
QString axis_label(double value) { return QString::number(value, 'g', 4); }

void shade_samples(QPainter& painter, const QRect& frame, int samples, std::span<const std::int32_t> selected) {
  QColor shade = kMarkerColour;
  shade.setAlpha(70);
  const double width = static_cast<double>(frame.width()) / std::max(samples, 1);
  for (std::int32_t s : selected) {
    painter.fillRect(QRectF(frame.left() + s * width, frame.top(), width, frame.height()), shade);
  }
}

// Thousands of translucent lines are slow to paint one by one. The same picture: every line adds
// kDensityOpacity of one colour to the pixels it crosses, counted here and coloured once.
template <typename PointOf>
QImage profile_density(const GeneTable& table, std::span<const std::int32_t> rows, const QRect& frame,
                       const PointOf& point) {
  const int width = frame.width();
  const int height = frame.height();
  std::vector<std::uint16_t> hits(static_cast<std::size_t>(width) * height, 0);
  const auto hit = [&](double x, double y) {
    const int px = static_cast<int>(std::lround(x)) - frame.left();
    const int py = static_cast<int>(std::lround(y)) - frame.top();
    if (px < 0 || py < 0 || px >= width || py >= height) return;
    std::uint16_t& count = hits[static_cast<std::size_t>(py) * width + px];
    if (count < UINT16_MAX) ++count;
  };
  const int samples = table.samples();
  for (std::int32_t row : rows) {
    const std::span<const double> values = table.row(row);
    QPointF from = point(values, 0);
    if (samples == 1) hit(from.x(), from.y());
    for (int s = 1; s < samples; ++s) {
      const QPointF to = point(values, s);
      const int steps =
          std::max(1, static_cast<int>(std::ceil(std::max(std::abs(to.x() - from.x()), std::abs(to.y() - from.y())))));
      // The end point belongs to the next segment, so joins are not counted twice.
      for (int i = 0; i < steps; ++i) {
        const double share = static_cast<double>(i) / steps;
        hit(from.x() + (to.x() - from.x()) * share, from.y() + (to.y() - from.y()) * share);
      }
      from = to;
    }
    if (samples > 1) hit(from.x(), from.y());
  }
  std::vector<QRgb> shades(256);
  for (std::size_t n = 0; n < shades.size(); ++n) {
    const double alpha = 1.0 - std::pow(1.0 - kDensityOpacity, static_cast<double>(n));
    shades[n] = qPremultiply(qRgba(kDensityColour.red(), kDensityColour.green(), kDensityColour.blue(),
                                   static_cast<int>(std::lround(alpha * 255))));
  }
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  for (int y = 0; y < height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < width; ++x) {
      line[x] = shades[std::min<std::size_t>(hits[static_cast<std::size_t>(y) * width + x], shades.size() - 1)];
    }
  }
  return image;
}

}  // namespace

void draw_profiles(QPainter& painter, QRect area, const GeneTable& table, std::span<const std::int32_t> rows,
                   std::span<const std::int32_t> selected, const ProfileText& text) {
  double low = INFINITY;
  double high = -INFINITY;
  for (std::int32_t row : rows) {
    for (double v : table.row(row)) {
      if (!std::isfinite(v)) continue;
      low = std::min(low, v);
      high = std::max(high, v);
    }
  }
  if (!(low <= high)) low = high = 0;
  if (low == high) {
    low -= 1;
    high += 1;
  }
  const int samples = table.samples();
  const QFontMetrics font = painter.fontMetrics();
  const bool density = rows.size() > kMaxSeparateProfiles;
  QColor shade = kMarkerColour;
  shade.setAlpha(70);
  const int legend_space =
      std::min(kMaxNameWidth, legend_width(gene_legend(text, rows.size(), density, shade, 1000), font));
  const Plot plot = plot_frame(painter, area, samples, text.title,
                               axis_label(low).size() > axis_label(high).size() ? axis_label(low) : axis_label(high),
                               text.sample_names, &text.class_bars, legend_space);
  shade_samples(painter, plot.frame, samples, selected);
  const std::size_t lines_fit = static_cast<std::size_t>(std::max(2, plot.frame.height() / font.height()));
  draw_legend_lines(painter, gene_legend(text, rows.size(), density, shade, lines_fit), plot.frame.right() + kPad,
                    plot.frame.top());

  painter.setPen(Qt::black);
  for (double value : {low, (low + high) / 2, high}) {
    const double y = plot.frame.bottom() - (value - low) / (high - low) * plot.frame.height();
    const QString label = axis_label(value);
    painter.drawText(QPointF(plot.frame.left() - 4 - font.horizontalAdvance(label), y + font.ascent() / 2.0), label);
    painter.drawLine(QPointF(plot.frame.left() - 3, y), QPointF(plot.frame.left(), y));
  }
  draw_sample_axis(painter, plot, samples);

  const auto point = [&](std::span<const double> values, int s) {
    const double v = std::isfinite(values[s]) ? values[s] : low;
    return QPointF(sample_x(plot.frame, samples, s),
                   plot.frame.bottom() - (v - low) / (high - low) * plot.frame.height());
  };
  if (density) {
    painter.drawImage(plot.frame.topLeft(), profile_density(table, rows, plot.frame, point));
    return;
  }
  painter.setRenderHint(QPainter::Antialiasing, true);
  QPolygonF line(samples);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::span<const double> values = table.row(rows[i]);
    for (int s = 0; s < samples; ++s) line[s] = point(values, s);
    QColor colour = profile_colour(i);
    if (rows.size() > 20) colour.setAlpha(140);
    painter.setPen(QPen(colour, rows.size() > 20 ? 1.0 : 1.6));
    painter.drawPolyline(line);
  }
  painter.setRenderHint(QPainter::Antialiasing, false);
}

}  // namespace kova::viewer
