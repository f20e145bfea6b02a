#include <QImage>

#include <algorithm>
#include <cstdint>

#include "viewer/qt/chart_drawing.hpp"
#include "viewer/qt/drawing_parts.hpp"

namespace kova::viewer {
namespace {

constexpr int kMarkerHeight = 6;
constexpr std::size_t kMaxClassLegendEntries = 12;
constexpr int kLegendGap = 16;
constexpr int kLegendBarWidth = 14;
constexpr int kMinLegendHeight = 90;
constexpr int kMaxNaturalCellsHeight = 3000;  // taller biclusters get thinner rows, without names
// Above this many cells one image is scaled instead of painting every cell on its own.
constexpr std::int64_t kMaxSeparateCells = 100000;

const QString kAboveLabel = QStringLiteral("+2 SD");
const QString kCentreLabel = QStringLiteral("gene mean");
const QString kBelowLabel = QStringLiteral("-2 SD");

QColor to_qcolor(Rgb rgb) { return QColor(rgb.r, rgb.g, rgb.b); }

int legend_label_width(const QFontMetrics& font) {
  return widest({kAboveLabel, kCentreLabel, kBelowLabel}, font) + 6;
}

// The lines of the class legend: a title per class bar, then its labels with their colours.
std::vector<LegendLine> class_legend(const std::vector<ClassBar>& bars) {
  std::vector<LegendLine> lines;
  for (const ClassBar& bar : bars) {
    lines.push_back({bar.title, std::nullopt});
    for (std::size_t i = 0; i < bar.legend.size() && i < kMaxClassLegendEntries; ++i) {
      lines.push_back(
          {bar.legend[i].first.isEmpty() ? QStringLiteral("(none)") : bar.legend[i].first, bar.legend[i].second});
    }
    if (bar.legend.size() > kMaxClassLegendEntries) {
      lines.push_back({QStringLiteral("and %1 more").arg(bar.legend.size() - kMaxClassLegendEntries), std::nullopt});
    }
  }
  return lines;
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
  const int legend_bottom = classes.empty()
                                ? g.legend_bar.bottom() + 1 + font.height()
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
      painter.fillRect(QRect(cell.left(), top, cell.width(), kClassBarHeight),
                       classes.colours[static_cast<std::size_t>(c)]);
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
  if (g.rows * cell_height > kMaxNaturalCellsHeight)
    cell_height = std::max(1, kMaxNaturalCellsHeight / std::max(g.rows, 1));
  g.show_names = cell_height >= font.height();
  g.show_sample_numbers = true;
  const int names_width = g.show_names ? names_width_for(text, font) : 0;
  g.cells =
      QRect(kPad + names_width, cells_top(font, text), g.columns * cell_width + g.group_gap, g.rows * cell_height);
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

}  // namespace kova::viewer
