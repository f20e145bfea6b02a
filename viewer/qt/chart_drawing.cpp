#include "viewer/qt/chart_drawing.hpp"

#include <QImage>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <optional>

namespace kova::viewer {
namespace {

constexpr int kPad = 8;
constexpr int kMarkerHeight = 6;
constexpr int kClassBarHeight = 8;
constexpr int kClassBarStep = kClassBarHeight + 2;
constexpr std::size_t kMaxClassLegendEntries = 12;
constexpr int kSwatch = 10;
constexpr int kLegendGap = 16;
constexpr int kLegendBarWidth = 14;
constexpr int kMinLegendHeight = 90;
constexpr int kMaxNaturalCellsHeight = 3000;  // taller biclusters get thinner rows, without names
constexpr int kMaxNameWidth = 240;
// Above this many cells one image is scaled instead of painting every cell on its own.
constexpr std::int64_t kMaxSeparateCells = 100000;
// Above this many genes the profiles are drawn as one density image of the same lines.
constexpr std::size_t kMaxSeparateProfiles = 300;
constexpr double kDensityOpacity = 0.12;
const QColor kDensityColour{31, 80, 160};

const QString kAboveLabel = QStringLiteral("+2 SD");
const QString kCentreLabel = QStringLiteral("gene mean");
const QString kBelowLabel = QStringLiteral("-2 SD");

QColor to_qcolor(Rgb rgb) { return QColor(rgb.r, rgb.g, rgb.b); }

int widest(const QStringList& texts, const QFontMetrics& font) {
  int width = 0;
  for (const QString& text : texts) width = std::max(width, font.horizontalAdvance(text));
  return width;
}

int title_height(const QFontMetrics& font) { return font.height() + 6; }
int legend_label_width(const QFontMetrics& font) {
  return widest({kAboveLabel, kCentreLabel, kBelowLabel}, font) + 6;
}

// The lines of the class legend: a title per class bar, then its labels with their colours.
struct LegendLine {
  QString text;
  std::optional<QColor> swatch;
};

std::vector<LegendLine> class_legend(const std::vector<ClassBar>& bars) {
  std::vector<LegendLine> lines;
  for (const ClassBar& bar : bars) {
    lines.push_back({bar.title, std::nullopt});
    for (std::size_t i = 0; i < bar.legend.size() && i < kMaxClassLegendEntries; ++i) {
      lines.push_back({bar.legend[i].first.isEmpty() ? QStringLiteral("(none)") : bar.legend[i].first, bar.legend[i].second});
    }
    if (bar.legend.size() > kMaxClassLegendEntries) {
      lines.push_back({QStringLiteral("and %1 more").arg(bar.legend.size() - kMaxClassLegendEntries), std::nullopt});
    }
  }
  return lines;
}

int legend_width(const std::vector<LegendLine>& lines, const QFontMetrics& font) {
  int width = 0;
  for (const LegendLine& line : lines) width = std::max(width, font.horizontalAdvance(line.text) + kSwatch + 6);
  return width;
}

// Draws `lines` from (x, y) down.
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

int class_legend_top(const HeatmapGeometry& g, const QFontMetrics& font) {
  return g.legend_bar.bottom() + 1 + font.height() + 10;
}

// Fills in everything that follows from the cell block and the choices already made.
void place_around_cells(HeatmapGeometry& g, const HeatmapText& text, const QFontMetrics& font, int names_width) {
  const int numbers_height = g.show_sample_numbers ? widest(text.sample_names, font) + 6 : 0;
  const int legend_height = std::max(kMinLegendHeight, std::min(g.cells.height(), 200));
  g.legend_bar = QRect(g.cells.right() + 1 + kLegendGap, g.cells.top(), kLegendBarWidth, legend_height);
  if (g.selected > 0) {
    const QRect first = g.cell_rect(0, 0);
    const QRect last = g.cell_rect(0, g.selected - 1);
    g.marker = QRect(first.left(), g.cells.top() - g.class_bars * kClassBarStep - kMarkerHeight - 2,
                     last.right() - first.left() + 1, kMarkerHeight);
  }
  const std::vector<LegendLine> classes = class_legend(text.class_bars);
  const int legend_text_width = std::max(legend_label_width(font), legend_width(classes, font) - kLegendBarWidth);
  const int width = g.legend_bar.right() + 1 + 6 + legend_text_width + kPad;
  const int legend_bottom = classes.empty() ? g.legend_bar.bottom() + 1 + font.height()
                                            : class_legend_top(g, font) + static_cast<int>(classes.size()) * font.height();
  const int height = std::max(g.cells.bottom() + 1 + numbers_height, legend_bottom) + kPad;
  g.size = QSize(std::max(width, kPad + names_width + font.horizontalAdvance(text.title) + kPad), height);
}

HeatmapGeometry base_geometry(const HeatmapModel& model, const HeatmapText& text) {
  HeatmapGeometry g;
  g.class_bars = static_cast<int>(text.class_bars.size());
  g.rows = static_cast<int>(model.rows.size());
  g.columns = static_cast<int>(model.columns.size());
  g.selected = model.selected_columns;
  g.group_gap = g.selected > 0 && g.selected < g.columns ? 4 : 0;
  return g;
}

int names_width_for(const HeatmapText& text, const QFontMetrics& font) {
  return std::min(kMaxNameWidth, widest(text.gene_names, font)) + 8;
}

int cells_top(const QFontMetrics& font, const HeatmapText& text) {
  return kPad + title_height(font) + kMarkerHeight + 2 + static_cast<int>(text.class_bars.size()) * kClassBarStep;
}

void draw_class_bars(QPainter& painter, const HeatmapGeometry& g, const HeatmapText& text) {
  const QFontMetrics font = painter.fontMetrics();
  for (int bar = 0; bar < g.class_bars; ++bar) {
    const ClassBar& classes = text.class_bars[static_cast<std::size_t>(bar)];
    const int top = class_bar_top(g, bar);
    for (int c = 0; c < g.columns && static_cast<std::size_t>(c) < classes.colours.size(); ++c) {
      const QRect cell = g.cell_rect(0, c);
      painter.fillRect(QRect(cell.left(), top, cell.width(), kClassBarHeight), classes.colours[static_cast<std::size_t>(c)]);
    }
    if (g.show_names) {
      const int right = g.cells.left() - 4;
      painter.setPen(Qt::black);
      painter.drawText(QRect(kPad, top - (font.height() - kClassBarHeight) / 2, right - kPad, font.height()),
                       Qt::AlignRight | Qt::AlignVCenter, font.elidedText(classes.title, Qt::ElideRight, right - kPad));
    }
  }
  draw_legend_lines(painter, class_legend(text.class_bars), g.legend_bar.left(), class_legend_top(g, font));
}

void draw_cells(QPainter& painter, const HeatmapGeometry& g, const HeatmapModel& model) {
  const std::int64_t count = static_cast<std::int64_t>(g.rows) * g.columns;
  const bool every_cell_visible = g.cells.height() >= g.rows && g.cells.width() - g.group_gap >= g.columns;
  if (count <= kMaxSeparateCells && every_cell_visible) {
    for (int r = 0; r < g.rows; ++r) {
      for (int c = 0; c < g.columns; ++c) painter.fillRect(g.cell_rect(r, c), to_qcolor(model.cell(r, c)));
    }
    return;
  }
  QImage image(g.columns, g.rows, QImage::Format_RGB32);
  for (int r = 0; r < g.rows; ++r) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(r));
    for (int c = 0; c < g.columns; ++c) {
      const Rgb rgb = model.cell(r, c);
      line[c] = qRgb(rgb.r, rgb.g, rgb.b);
    }
  }
  const auto block = [&](int first, int last) {  // columns first..last, inclusive
    const QRect from = g.cell_rect(0, first);
    const QRect to = g.cell_rect(g.rows - 1, last);
    painter.drawImage(QRect(from.topLeft(), QPoint(to.right(), g.cells.bottom())), image,
                      QRect(first, 0, last - first + 1, g.rows));
  };
  if (g.selected > 0) block(0, g.selected - 1);
  if (g.selected < g.columns) block(g.selected, g.columns - 1);
}

void draw_legend(QPainter& painter, const HeatmapGeometry& g) {
  const QRect bar = g.legend_bar;
  for (int y = 0; y < bar.height(); ++y) {
    const double t = 1.0 - 2.0 * y / std::max(1, bar.height() - 1);
    painter.fillRect(QRect(bar.left(), bar.top() + y, bar.width(), 1), to_qcolor(diverging_colour(t)));
  }
  painter.setPen(Qt::black);
  painter.drawRect(bar.adjusted(0, 0, -1, -1));
  const QFontMetrics font = painter.fontMetrics();
  const int x = bar.right() + 6;
  painter.drawText(QPoint(x, bar.top() + font.ascent()), kAboveLabel);
  painter.drawText(QPoint(x, bar.center().y() + font.ascent() / 2), kCentreLabel);
  painter.drawText(QPoint(x, bar.bottom()), kBelowLabel);
}

void draw_row_names(QPainter& painter, const HeatmapGeometry& g, const HeatmapText& text) {
  if (!g.show_names) return;
  const QFontMetrics font = painter.fontMetrics();
  const int right = g.cells.left() - 4;
  const int width = right - kPad;
  for (int r = 0; r < g.rows && r < text.gene_names.size(); ++r) {
    const QRect cell = g.cell_rect(r, 0);
    painter.drawText(QRect(kPad, cell.top(), width, cell.height()), Qt::AlignRight | Qt::AlignVCenter,
                     font.elidedText(text.gene_names[r], Qt::ElideRight, width));
  }
}

void draw_sample_numbers(QPainter& painter, const HeatmapGeometry& g, const HeatmapText& text) {
  if (!g.show_sample_numbers) return;
  const QFontMetrics font = painter.fontMetrics();
  for (int c = 0; c < g.columns && c < text.sample_names.size(); ++c) {
    const QRect cell = g.cell_rect(g.rows - 1, c);
    painter.save();
    painter.translate(cell.center().x() + font.ascent() / 2 - 1, g.cells.bottom() + 4);
    painter.rotate(90);
    painter.drawText(QPoint(0, 0), text.sample_names[c]);
    painter.restore();
  }
}

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

struct Plot {
  QRect frame;
  int label_every = 1;
  QStringList labels;         // per sample; empty: numbers
  const std::vector<ClassBar>* class_bars = nullptr;  // strips under the frame
};

// `legend_width` is kept free on the right.
Plot plot_frame(QPainter& painter, QRect area, int samples, const QString& title, const QString& widest_y_label,
                const QStringList& labels = {}, const std::vector<ClassBar>* class_bars = nullptr,
                int legend_width = 0) {
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
      const int steps = std::max(1, static_cast<int>(std::ceil(std::max(std::abs(to.x() - from.x()), std::abs(to.y() - from.y())))));
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

int class_bar_top(const HeatmapGeometry& g, int bar) { return g.cells.top() - (g.class_bars - bar) * kClassBarStep; }

QRect HeatmapGeometry::cell_rect(int row, int column) const {
  const std::int64_t width = cells.width() - group_gap;
  const int shift = column >= selected ? group_gap : 0;
  const int x0 = cells.left() + static_cast<int>(column * width / columns) + shift;
  const int x1 = cells.left() + static_cast<int>((column + 1) * width / columns) + shift;
  const int y0 = cells.top() + static_cast<int>(static_cast<std::int64_t>(row) * cells.height() / rows);
  const int y1 = cells.top() + static_cast<int>(static_cast<std::int64_t>(row + 1) * cells.height() / rows);
  return QRect(x0, y0, x1 - x0, y1 - y0);
}

HeatmapGeometry natural_heatmap_geometry(const HeatmapModel& model, const HeatmapText& text, const QFontMetrics& font) {
  HeatmapGeometry g = base_geometry(model, text);
  const int cell_width = std::max(12, font.height());
  int cell_height = font.height();
  if (g.rows * cell_height > kMaxNaturalCellsHeight) cell_height = std::max(1, kMaxNaturalCellsHeight / std::max(g.rows, 1));
  g.show_names = cell_height >= font.height();
  g.show_sample_numbers = true;
  const int names_width = g.show_names ? names_width_for(text, font) : 0;
  g.cells = QRect(kPad + names_width, cells_top(font, text), g.columns * cell_width + g.group_gap, g.rows * cell_height);
  place_around_cells(g, text, font, names_width);
  return g;
}

HeatmapGeometry fitted_heatmap_geometry(const HeatmapModel& model, const HeatmapText& text, const QFontMetrics& font,
                                        QSize area) {
  HeatmapGeometry g = base_geometry(model, text);
  const int top = cells_top(font, text);
  const int numbers_height = widest(text.sample_names, font) + 6;
  const int fixed_width = kPad + kLegendGap + kLegendBarWidth + 6 + legend_label_width(font) + kPad;
  const int rows = std::max(g.rows, 1);
  const int columns = std::max(g.columns, 1);

  int cells_height = area.height() - top - numbers_height - kPad;
  g.show_names = cells_height / rows >= font.height();
  const int names_width = g.show_names ? names_width_for(text, font) : 0;
  int cells_width = area.width() - fixed_width - names_width;
  g.show_sample_numbers = (cells_width - g.group_gap) / columns >= font.height();
  if (!g.show_sample_numbers) cells_height += numbers_height;
  // At most twice the natural cell size: a small bicluster stays a heatmap, not a few blocks.
  cells_height = std::clamp(cells_height, 1, rows * font.height() * 2);
  cells_width = std::clamp(cells_width, g.group_gap + 1, columns * std::max(12, font.height()) * 2 + g.group_gap);
  g.cells = QRect(kPad + names_width, top, cells_width, cells_height);
  place_around_cells(g, text, font, names_width);
  return g;
}

void draw_heatmap(QPainter& painter, const HeatmapGeometry& geometry, const HeatmapModel& model,
                  const HeatmapText& text) {
  painter.fillRect(QRect(QPoint(0, 0), geometry.size), Qt::white);
  painter.setPen(Qt::black);
  painter.drawText(QPoint(kPad, kPad + painter.fontMetrics().ascent()), text.title);
  if (geometry.rows > 0 && geometry.columns > 0) {
    if (geometry.selected > 0) painter.fillRect(geometry.marker, kMarkerColour);
    draw_class_bars(painter, geometry, text);
    draw_cells(painter, geometry, model);
    draw_row_names(painter, geometry, text);
    draw_sample_numbers(painter, geometry, text);
  }
  draw_legend(painter, geometry);
}

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
  const int legend_space = std::min(kMaxNameWidth, legend_width(gene_legend(text, rows.size(), density, shade, 1000), font));
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
    return QPointF(sample_x(plot.frame, samples, s), plot.frame.bottom() - (v - low) / (high - low) * plot.frame.height());
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
