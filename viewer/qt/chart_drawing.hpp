#pragma once
// Drawing the three pictures of a run with QPainter, onto a widget, an image or an SVG file:
// the heatmap of one bicluster (heatmap_drawing.cpp), its genes' expression profiles
// (profiles_drawing.cpp), and the membership per sample (membership_drawing.cpp).

#include <QColor>
#include <QFontMetrics>
#include <QPainter>
#include <QRect>
#include <QStringList>

#include <cstdint>
#include <span>
#include <vector>

#include "kova/matrix.hpp"
#include "viewer/core/heatmap_model.hpp"

namespace kova::viewer {

// Marks the selected samples above the heatmap and behind the profiles and bars.
inline const QColor kMarkerColour{255, 170, 0};

// One class column of the sample annotation as a strip of colours.
struct ClassBar {
  QString title;
  std::vector<QColor> colours;                     // per column drawn
  std::vector<std::pair<QString, QColor>> legend;  // each label once, in natural order
};

struct HeatmapGeometry {
  QSize size;           // the whole picture
  QRect cells;          // all cells, the gap between the two column groups included
  int rows = 0;
  int columns = 0;
  int selected = 0;     // the first `selected` columns are the bicluster's samples
  int group_gap = 0;    // blank pixels between selected and other columns
  bool show_names = false;
  bool show_sample_numbers = false;
  QRect marker;         // the strip above the selected columns
  QRect legend_bar;     // the colour scale, above value at the top
  int class_bars = 0;   // strips between the marker and the cells
  QRect class_legend;   // the class labels and their colours, in columns of `class_legend_rows` lines
  int class_legend_rows = 0;

  QRect cell_rect(int row, int column) const;
};

struct HeatmapText {
  QString title;             // lines separated by '\n'
  QStringList gene_names;    // per model row
  QStringList sample_names;  // per model column
  std::vector<ClassBar> class_bars;  // colours per model column
};

// Where class bar `bar` of `g` lies above its cells.
int class_bar_top(const HeatmapGeometry& g, int bar);

// The size a picture takes for itself: cells big enough for names and sample numbers, as far
// as a picture of reasonable height allows. Used for saved pictures and `--png`.
HeatmapGeometry natural_heatmap_geometry(const HeatmapModel& model, const HeatmapText& text, const QFontMetrics& font);
// Everything fitted into `area` (a window pane); names appear only where the rows are tall enough.
HeatmapGeometry fitted_heatmap_geometry(const HeatmapModel& model, const HeatmapText& text, const QFontMetrics& font,
                                        QSize area);

void draw_heatmap(QPainter& painter, const HeatmapGeometry& geometry, const HeatmapModel& model,
                  const HeatmapText& text);

struct ProfileText {
  QString title;
  QStringList gene_names;            // per row, for the legend
  QStringList sample_names;          // per sample in column order; empty: numbers
  std::vector<ClassBar> class_bars;  // colours per sample in column order
};

// One line per gene over all samples in column order; `selected` (0-based) shaded; a legend of
// the genes on the right.
void draw_profiles(QPainter& painter, QRect area, const GeneTable& table, std::span<const std::int32_t> rows,
                   std::span<const std::int32_t> selected, const ProfileText& text);

// One bar per sample; the bars of `highlighted` (0-based) in the marker colour.
void draw_membership(QPainter& painter, QRect area, std::span<const std::int32_t> counts,
                     std::span<const std::int32_t> highlighted, const QString& title);

}  // namespace kova::viewer
