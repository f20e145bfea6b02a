#include <QImage>

#include <algorithm>
#include <cstdint>

#include "viewer/qt/chart_drawing.hpp"
#include "viewer/qt/drawing_parts.hpp"

namespace kova::viewer {
namespace {

constexpr int kMarkerHeight = 6;
constexpr std::size_t kMaxClassLegendEntries = 40;
constexpr int kLegendGap = 16;
constexpr int kLegendBarWidth = 14;
constexpr int kMinLegendHeight = 90;
constexpr int kLeastLegendHeight = 24;  // the colour scale when the picture is very low
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

// The title's lines: what the bicluster is, then its plain r and p-value.
QStringList title_lines(const HeatmapText& text) { return text.title.split(QLatin1Char('\n')); }

int heatmap_title_height(const QFontMetrics& font, const HeatmapText& text) {
  return title_height(font) + (static_cast<int>(title_lines(text).size()) - 1) * font.height();
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

// The class legend in as many columns as `height` needs; every line is drawn whole.
struct LegendLayout {
  int per_column = 1;
  int columns = 0;
  int column_width = 0;
  int width() const { return columns * column_width; }
};

LegendLayout legend_layout(const std::vector<LegendLine>& lines, const QFontMetrics& font, int height) {
  LegendLayout layout;
  if (lines.empty()) return layout;
  const int count = static_cast<int>(lines.size());
  layout.per_column = std::clamp(height / std::max(1, font.height()), 1, count);
  layout.columns = (count + layout.per_column - 1) / layout.per_column;
  layout.column_width = legend_width(lines, font) + kLegendGap;
  return layout;
}

int cells_top(const QFontMetrics& font, const HeatmapText& text) {
  return kPad + heatmap_title_height(font, text) + kMarkerHeight + 2 +
         static_cast<int>(text.class_bars.size()) * kClassBarStep;
}

// Fills in everything that follows from the cell block and the choices already made. `area_height`
// is the height the picture must keep to, or 0 for a picture as tall as it needs: the class legend
// then goes under the colour scale, otherwise beside it in columns.
void place_around_cells(HeatmapGeometry& g, const HeatmapText& text, const QFontMetrics& font, int names_width,
                        int area_height) {
  const int numbers_height = g.show_sample_numbers ? widest(text.sample_names, font) + 6 : 0;
  int legend_height = std::max(kMinLegendHeight, std::min(g.cells.height(), 200));
  if (area_height > 0) {
    legend_height = std::max(kLeastLegendHeight, std::min(legend_height, area_height - g.cells.top() - font.height() - kPad));
  }
  g.legend_bar = QRect(g.cells.right() + 1 + kLegendGap, g.cells.top(), kLegendBarWidth, legend_height);
  if (g.selected > 0) {
    const QRect first = g.cell_rect(0, 0);
    const QRect last = g.cell_rect(0, g.selected - 1);
    g.marker = QRect(first.left(), g.cells.top() - g.class_bars * kClassBarStep - kMarkerHeight - 2,
                     last.right() - first.left() + 1, kMarkerHeight);
  }
  const std::vector<LegendLine> classes = class_legend(text.class_bars);
  const int scale_right = g.legend_bar.right() + 1 + 6 + legend_label_width(font);
  int right = scale_right;
  int bottom = g.legend_bar.bottom() + 1 + font.height();
  if (!classes.empty()) {
    if (area_height > 0) {
      const int top = cells_top(font, text) - static_cast<int>(text.class_bars.size()) * kClassBarStep;
      const LegendLayout layout = legend_layout(classes, font, area_height - top - kPad);
      g.class_legend = QRect(scale_right + kLegendGap, top, layout.width(), layout.per_column * font.height());
      g.class_legend_rows = layout.per_column;
    } else {
      g.class_legend = QRect(g.legend_bar.left(), bottom + 10, legend_width(classes, font),
                             static_cast<int>(classes.size()) * font.height());
      g.class_legend_rows = static_cast<int>(classes.size());
    }
    right = std::max(right, g.class_legend.right() + 1);
    bottom = std::max(bottom, g.class_legend.bottom() + 1);
  }
  const int height = std::max(g.cells.bottom() + 1 + numbers_height, bottom) + kPad;
  g.size = QSize(std::max(right + kPad, kPad + names_width + widest(title_lines(text), font) + kPad), height);
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
  const std::vector<LegendLine> lines = class_legend(text.class_bars);
  const int per_column = std::max(1, g.class_legend_rows);
  const int column_width = legend_width(lines, font) + kLegendGap;
  for (std::size_t first = 0, column = 0; first < lines.size(); first += per_column, ++column) {
    const std::vector<LegendLine> part(lines.begin() + static_cast<std::ptrdiff_t>(first),
                                       lines.begin() + static_cast<std::ptrdiff_t>(std::min(lines.size(), first + per_column)));
    draw_legend_lines(painter, part, g.class_legend.left() + static_cast<int>(column) * column_width, g.class_legend.top());
  }
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
  place_around_cells(g, text, font, names_width, 0);
  return g;
}

HeatmapGeometry fitted_heatmap_geometry(const HeatmapModel& model, const HeatmapText& text, const QFontMetrics& font,
                                        QSize area) {
  HeatmapGeometry g = base_geometry(model, text);
  const int top = cells_top(font, text);
  const int numbers_height = widest(text.sample_names, font) + 6;
  const std::vector<LegendLine> classes = class_legend(text.class_bars);
  const int legend_top = top - static_cast<int>(text.class_bars.size()) * kClassBarStep;
  const int classes_width = classes.empty() ? 0 : kLegendGap + legend_layout(classes, font, area.height() - legend_top - kPad).width();
  const int fixed_width = kPad + kLegendGap + kLegendBarWidth + 6 + legend_label_width(font) + classes_width + kPad;
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
  place_around_cells(g, text, font, names_width, area.height());
  return g;
}

void draw_heatmap(QPainter& painter, const HeatmapGeometry& geometry, const HeatmapModel& model,
                  const HeatmapText& text) {
  painter.fillRect(QRect(QPoint(0, 0), geometry.size), Qt::white);
  painter.setPen(Qt::black);
  int title_y = kPad + painter.fontMetrics().ascent();
  for (const QString& line : title_lines(text)) {
    painter.drawText(QPoint(kPad, title_y), line);
    title_y += painter.fontMetrics().height();
  }
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
