#pragma once
// The pictures of one bicluster of an opened run, and saving any picture as PNG or SVG.

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

#include "viewer/chart_drawing.hpp"
#include "viewer/run_data.hpp"

namespace kova::viewer {

// 0-based selected samples of bicluster `index` (0-based position in the run).
std::vector<std::int32_t> selected_samples(const LoadedRun& run, std::size_t index);

struct BiclusterHeatmap {
  HeatmapModel model;
  HeatmapText text;
};
BiclusterHeatmap bicluster_heatmap(const LoadedRun& run, std::size_t index);

// The samples as the output file writes them ("sample2, sample5, "), and the genes one a line.
QString sample_list(const ResultBicluster& bicluster);
QString gene_list(const ResultBicluster& bicluster);

inline const QSize kProfilePictureSize{960, 520};
QSize membership_picture_size(std::int32_t samples);

// Text measured as it comes out in a saved picture.
QFontMetrics picture_font_metrics(const QFont& font);

using PaintFunction = std::function<void(QPainter&, QSize)>;

// PNG unless the name ends in .svg (any case). Returns an error message naming the file, or empty.
QString save_picture(const QString& path, QSize size, const QFont& font, const PaintFunction& paint);

// The heatmap of bicluster `number` (1-based) at its natural size, as `kovaview --png` writes it.
QString save_heatmap(const LoadedRun& run, std::int32_t number, const QString& path, const QFont& font);

}  // namespace kova::viewer
