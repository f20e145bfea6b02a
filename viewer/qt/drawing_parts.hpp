#pragma once
// What the pictures of chart_drawing.hpp share: their spacing, legends as lines of text with colour
// swatches, and the frame and the sample axis of the two charts drawn over the samples. For the
// drawing files only.

#include <QColor>
#include <QFontMetrics>
#include <QPainter>
#include <QRect>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

#include "viewer/qt/chart_drawing.hpp"

namespace kova::viewer {

inline constexpr int kPad = 8;
inline constexpr int kClassBarHeight = 8;
inline constexpr int kClassBarStep = kClassBarHeight + 2;
inline constexpr int kMaxNameWidth = 240;

int widest(const QStringList& texts, const QFontMetrics& font);
int title_height(const QFontMetrics& font);

// One line of a legend, after a swatch of its colour where it has one.
struct LegendLine {
  QString text;
  std::optional<QColor> swatch;
};

int legend_width(const std::vector<LegendLine>& lines, const QFontMetrics& font);
// Draws `lines` from (x, y) down.
void draw_legend_lines(QPainter& painter, const std::vector<LegendLine>& lines, int x, int y);

// A chart over the samples: its frame, and which samples its axis names.
struct Plot {
  QRect frame;
  int label_every = 1;
  QStringList labels;                                 // per sample; empty: numbers
  const std::vector<ClassBar>* class_bars = nullptr;  // strips under the frame
};

// `legend_width` is kept free on the right.
Plot plot_frame(QPainter& painter, QRect area, int samples, const QString& title, const QString& widest_y_label,
                const QStringList& labels = {}, const std::vector<ClassBar>* class_bars = nullptr,
                int legend_width = 0);
double sample_x(const QRect& frame, int samples, int s);
void draw_sample_axis(QPainter& painter, const Plot& plot, int samples);

}  // namespace kova::viewer
