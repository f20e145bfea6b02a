#pragma once
// The pictures of one bicluster of an opened run, and saving any picture as PNG or SVG.

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "viewer/core/bicluster_measures.hpp"
#include "viewer/core/gene_symbols.hpp"
#include "viewer/core/picture_caption.hpp"
#include "viewer/core/run_data.hpp"
#include "kova/meaning.hpp"
#include "viewer/qt/chart_drawing.hpp"

namespace kova::viewer {

// 0-based selected samples of bicluster `index` (0-based position in the run).
std::vector<std::int32_t> selected_samples(const LoadedRun& run, std::size_t index);

struct HeatmapOptions {
  const SampleAnnotation* annotation = nullptr;  // sample names and class bars, where given
  bool clustered = false;                        // rows and columns by clustering, else matrix order
  const PlainCorrelation* measure = nullptr;     // the bicluster's plain r; nullptr: computed here
  std::optional<double> p_value{};               // where the run was tested for significance
  const GeneSymbols* symbols = nullptr;          // shown beside the gene names, where given
};

// The plain r and p-value of bicluster `index` for the titles of its pictures.
QString caption_of(const LoadedRun& run, std::size_t index, const HeatmapOptions& options);

struct BiclusterHeatmap {
  HeatmapModel model;
  HeatmapText text;
};
BiclusterHeatmap bicluster_heatmap(const LoadedRun& run, std::size_t index, const HeatmapOptions& options = {});

// The class bars of `annotation` over `columns` (0-based samples, in drawing order). A label has
// the same colour wherever it is drawn, and no two labels of any columns share one; the legend
// lists each column's labels in natural order (class_levels.hpp).
std::vector<ClassBar> class_bars(const SampleAnnotation& annotation, std::span<const std::int32_t> columns);

// Title, gene names, sample names and class bars for the profiles of bicluster `index`.
ProfileText profile_text(const LoadedRun& run, std::size_t index, const HeatmapOptions& options);

// The samples as the output file writes them ("sample2, sample5, "), and the genes one a line,
// each with its symbol where known.
QString sample_list(const ResultBicluster& bicluster);
QString gene_list(const LoadedRun& run, std::size_t index, const GeneSymbols* symbols);

inline const QSize kProfilePictureSize{960, 520};
QSize membership_picture_size(std::int32_t samples);

// Text measured as it comes out in a saved picture.
QFontMetrics picture_font_metrics(const QFont& font);

using PaintFunction = std::function<void(QPainter&, QSize)>;

// Pictures are laid out at this resolution; a PNG at a higher one has more pixels, same layout.
inline constexpr int kPictureDpi = 96;

// PNG unless the name ends in .svg (any case); a PNG of `size` laid out at kPictureDpi and drawn
// at `dpi`. Returns an error message naming the file, or empty.
QString save_picture(const QString& path, QSize size, const QFont& font, const PaintFunction& paint,
                     int dpi = kPictureDpi);

// The heatmap of bicluster `index` (0-based) as `kovaview --png` writes it: at its natural size,
// or fitted into `size` when that is not empty, drawn at `dpi`.
QString save_heatmap(const LoadedRun& run, std::size_t index, const QString& path, const QFont& font,
                     const HeatmapOptions& options, QSize size, int dpi = kPictureDpi);

}  // namespace kova::viewer
