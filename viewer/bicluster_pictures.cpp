#include "viewer/bicluster_pictures.hpp"

#include <QFile>
#include <QFileInfo>
#include <QSvgGenerator>

#include <algorithm>

namespace kova::viewer {
namespace {

// Saved pictures measure text at one resolution, whatever the screen: PNG and SVG alike.
constexpr int kPictureDpi = 96;
constexpr int kPictureDotsPerMeter = 3780;  // 96 dpi

}  // namespace

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

BiclusterHeatmap bicluster_heatmap(const LoadedRun& run, std::size_t index) {
  const ResultBicluster& b = run.biclusters[index];
  BiclusterHeatmap heatmap;
  heatmap.model = build_heatmap(run.table, run.gene_rows[index], selected_samples(run, index));
  heatmap.text.title = QStringLiteral("Bicluster %1: %2 genes x %3 samples; its samples first, marked")
                           .arg(b.number)
                           .arg(b.genes.size())
                           .arg(b.samples.size());
  for (const std::string& name : b.genes) heatmap.text.gene_names.push_back(QString::fromStdString(name));
  for (std::int32_t column : heatmap.model.columns) heatmap.text.sample_names.push_back(QString::number(column + 1));
  return heatmap;
}

QString sample_list(const ResultBicluster& bicluster) {
  QString text;
  for (std::int32_t s : bicluster.samples) text += QStringLiteral("sample%1, ").arg(s);
  return text;
}

QString gene_list(const ResultBicluster& bicluster) {
  QStringList names;
  for (const std::string& name : bicluster.genes) names.push_back(QString::fromStdString(name));
  return names.join('\n');
}

QSize membership_picture_size(std::int32_t samples) { return {std::max(640, 80 + samples * 8), 420}; }

QString save_picture(const QString& path, QSize size, const QFont& font, const PaintFunction& paint) {
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
  QImage image(size, QImage::Format_RGB32);
  image.setDotsPerMeterX(kPictureDotsPerMeter);
  image.setDotsPerMeterY(kPictureDotsPerMeter);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    painter.setFont(font);
    paint(painter, size);
  }
  if (!image.save(path, "PNG")) return QStringLiteral("cannot write the picture '%1'").arg(path);
  return {};
}

QString save_heatmap(const LoadedRun& run, std::int32_t number, const QString& path, const QFont& font) {
  if (number < 1 || static_cast<std::size_t>(number) > run.biclusters.size()) {
    return QStringLiteral("'%1' holds %2 biclusters, there is no bicluster %3")
        .arg(QString::fromStdString(run.files.output.string()))
        .arg(run.biclusters.size())
        .arg(number);
  }
  const BiclusterHeatmap heatmap = bicluster_heatmap(run, static_cast<std::size_t>(number - 1));
  const HeatmapGeometry geometry = natural_heatmap_geometry(heatmap.model, heatmap.text, picture_font_metrics(font));
  return save_picture(path, geometry.size, font, [&](QPainter& painter, QSize) {
    draw_heatmap(painter, geometry, heatmap.model, heatmap.text);
  });
}

}  // namespace kova::viewer
