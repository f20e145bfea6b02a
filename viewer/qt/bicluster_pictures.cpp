#include "viewer/qt/bicluster_pictures.hpp"

#include <QFile>
#include <QFileInfo>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>
#include <map>

#include "viewer/core/class_levels.hpp"
#include "viewer/core/clustering.hpp"

namespace kova::viewer {
namespace {

// Saved pictures measure text at one resolution, whatever the screen: PNG and SVG alike.
constexpr int kPictureDotsPerMeter = 3780;  // 96 dpi

int dots_per_meter(int dpi) { return static_cast<int>(std::lround(dpi / 0.0254)); }

}  // namespace

QString caption_of(const LoadedRun& run, std::size_t index, const HeatmapOptions& options) {
  const PlainCorrelation measure =
      options.measure != nullptr ? *options.measure
                                 : plain_correlation(run.table, run.gene_rows[index], selected_samples(run, index));
  return QString::fromStdString(picture_caption(measure, options.p_value));
}

QFontMetrics picture_font_metrics(const QFont& font) {
  QImage probe(1, 1, QImage::Format_RGB32);
  probe.setDotsPerMeterX(kPictureDotsPerMeter);
  probe.setDotsPerMeterY(kPictureDotsPerMeter);
  return QFontMetrics(font, &probe);
}

std::vector<std::int32_t> selected_samples(const LoadedRun& run, std::size_t index) {
  std::vector<std::int32_t> samples;
  for (std::int32_t s : run.biclusters[index].samples) samples.push_back(s - 1);
  return samples;
}

BiclusterHeatmap bicluster_heatmap(const LoadedRun& run, std::size_t index, const HeatmapOptions& options) {
  const ResultBicluster& b = run.biclusters[index];
  std::vector<std::int32_t> rows = run.gene_rows[index];
  std::vector<std::int32_t> samples = selected_samples(run, index);
  QString order = QStringLiteral("its samples first, marked");
  if (options.clustered) {
    ClusteredOrder clustered = clustered_order(run.table, rows, samples);
    rows = std::move(clustered.rows);
    samples = std::move(clustered.samples);
    order = clustered.rows_clustered && clustered.samples_clustered
                ? QStringLiteral("its samples first, marked; clustered")
                : QStringLiteral("its samples first, marked; too large to cluster, in matrix order");
  }
  BiclusterHeatmap heatmap;
  heatmap.model = build_heatmap(run.table, rows, samples);
  heatmap.text.title = QStringLiteral("Bicluster %1: %2 genes x %3 samples; %4\n%5")
                           .arg(b.number)
                           .arg(b.genes.size())
                           .arg(b.samples.size())
                           .arg(order, caption_of(run, index, options));
  for (std::int32_t row : rows) {
    heatmap.text.gene_names.push_back(QString::fromStdString(name_with_symbol(run.table[row].name, options.symbols, row)));
  }
  for (std::int32_t column : heatmap.model.columns) {
    heatmap.text.sample_names.push_back(options.annotation != nullptr ? QString::fromStdString(options.annotation->label(column))
                                                                      : QString::number(column + 1));
  }
  if (options.annotation != nullptr) heatmap.text.class_bars = class_bars(*options.annotation, heatmap.model.columns);
  return heatmap;
}

std::vector<ClassBar> class_bars(const SampleAnnotation& annotation, std::span<const std::int32_t> columns) {
  const auto qcolor = [](Rgb rgb) { return QColor(rgb.r, rgb.g, rgb.b); };
  std::vector<ClassBar> bars;
  const std::vector<ClassColours> colours = class_colours(annotation);
  for (std::size_t c = 0; c < colours.size(); ++c) {
    const ClassColours& column = colours[c];
    ClassBar bar;
    bar.title = QString::fromStdString(column.title);
    for (std::size_t level = 0; level < column.levels.size(); ++level) {
      bar.legend.emplace_back(QString::fromStdString(column.levels[level]), qcolor(column.colours[level]));
    }
    const std::vector<std::string>& labels = annotation.classes[c];
    for (std::int32_t sample : columns) bar.colours.push_back(qcolor(column.colour_of(labels[static_cast<std::size_t>(sample)])));
    bars.push_back(std::move(bar));
  }
  return bars;
}

ProfileText profile_text(const LoadedRun& run, std::size_t index, const HeatmapOptions& options) {
  const ResultBicluster& b = run.biclusters[index];
  const SampleAnnotation* annotation = options.annotation;
  ProfileText text;
  text.title = QStringLiteral("Bicluster %1: profiles of %2 genes, its samples shaded; %3")
                   .arg(b.number)
                   .arg(b.genes.size())
                   .arg(caption_of(run, index, options));
  for (std::int32_t row : run.gene_rows[index]) {
    text.gene_names.push_back(QString::fromStdString(name_with_symbol(run.table[row].name, options.symbols, row)));
  }
  if (annotation == nullptr) return text;
  std::vector<std::int32_t> all(static_cast<std::size_t>(run.table.samples()));
  for (std::size_t s = 0; s < all.size(); ++s) all[s] = static_cast<std::int32_t>(s);
  if (!annotation->names.empty()) {
    for (std::int32_t s : all) text.sample_names.push_back(QString::fromStdString(annotation->label(s)));
  }
  text.class_bars = class_bars(*annotation, all);
  return text;
}

QString sample_list(const ResultBicluster& bicluster) {
  QString text;
  for (std::int32_t s : bicluster.samples) text += QStringLiteral("sample%1, ").arg(s);
  return text;
}

QString gene_list(const LoadedRun& run, std::size_t index, const GeneSymbols* symbols) {
  QStringList names;
  const ResultBicluster& b = run.biclusters[index];
  for (std::size_t g = 0; g < b.genes.size(); ++g) {
    names.push_back(QString::fromStdString(name_with_symbol(b.genes[g], symbols, run.gene_rows[index][g])));
  }
  return names.join('\n');
}

QSize membership_picture_size(std::int32_t samples) { return {std::max(640, 80 + samples * 8), 420}; }

QString save_picture(const QString& path, QSize size, const QFont& font, const PaintFunction& paint, int dpi) {
  if (QFileInfo(path).suffix().compare(QStringLiteral("svg"), Qt::CaseInsensitive) == 0) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
      return QStringLiteral("cannot create '%1': %2").arg(path, file.errorString());
    }
    QSvgGenerator svg;
    svg.setOutputDevice(&file);
    svg.setSize(size);
    svg.setResolution(kPictureDpi);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle(QFileInfo(path).completeBaseName());
    QPainter painter(&svg);
    painter.setFont(font);
    paint(painter, size);
    painter.end();
    file.close();
    if (file.error() != QFileDevice::NoError) {
      return QStringLiteral("cannot write '%1': %2").arg(path, file.errorString());
    }
    return {};
  }
  const double scale = static_cast<double>(dpi) / kPictureDpi;
  QImage image(QSize(static_cast<int>(std::ceil(size.width() * scale)), static_cast<int>(std::ceil(size.height() * scale))),
               QImage::Format_RGB32);
  // Text is measured at the layout's resolution while painting; the file then records the real one.
  image.setDotsPerMeterX(kPictureDotsPerMeter);
  image.setDotsPerMeterY(kPictureDotsPerMeter);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    painter.setFont(font);
    painter.scale(scale, scale);
    paint(painter, size);
  }
  image.setDotsPerMeterX(dots_per_meter(dpi));
  image.setDotsPerMeterY(dots_per_meter(dpi));
  if (!image.save(path, "PNG")) return QStringLiteral("cannot write the picture '%1'").arg(path);
  return {};
}

QString save_heatmap(const LoadedRun& run, std::size_t index, const QString& path, const QFont& font,
                     const HeatmapOptions& options, QSize size, int dpi) {
  const BiclusterHeatmap heatmap = bicluster_heatmap(run, index, options);
  const QFontMetrics metrics = picture_font_metrics(font);
  const HeatmapGeometry geometry = size.isEmpty() ? natural_heatmap_geometry(heatmap.model, heatmap.text, metrics)
                                                  : fitted_heatmap_geometry(heatmap.model, heatmap.text, metrics, size);
  return save_picture(
      path, size.isEmpty() ? geometry.size : size, font,
      [&](QPainter& painter, QSize) { draw_heatmap(painter, geometry, heatmap.model, heatmap.text); }, dpi);
}

}  // namespace kova::viewer
