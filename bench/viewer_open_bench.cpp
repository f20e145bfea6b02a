// Times how quickly kovaview opens a finished run and draws its pictures, on the offscreen
// platform: kovaview_bench OUTPUT MATRIX GENES SAMPLES. Prints figures; checks nothing.

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QTableView>

#include <cstdio>
#include <filesystem>
#include <numeric>

#include "viewer/core/bicluster_measures.hpp"
#include "viewer/core/command_line.hpp"
#include "viewer/qt/bicluster_list_model.hpp"
#include "viewer/qt/bicluster_pictures.hpp"
#include "viewer/qt/viewer_window.hpp"

namespace {

using kova::viewer::LoadedRun;

double ms(const QElapsedTimer& timer) { return static_cast<double>(timer.nsecsElapsed()) / 1e6; }

// Draws the heatmap and the profiles of `rows` into a window-sized image; returns milliseconds.
double draw_both(const LoadedRun& run, const std::vector<std::int32_t>& rows, const std::vector<std::int32_t>& samples) {
  QElapsedTimer timer;
  timer.start();
  const kova::viewer::HeatmapModel model = kova::viewer::build_heatmap(run.table, rows, samples);
  kova::viewer::HeatmapText text;
  for (std::int32_t row : rows) text.gene_names.push_back(QString::fromStdString(run.table[row].name));
  for (std::int32_t column : model.columns) text.sample_names.push_back(QString::number(column + 1));
  QImage image(QSize(1000, 700), QImage::Format_RGB32);
  QPainter painter(&image);
  const auto geometry = kova::viewer::fitted_heatmap_geometry(model, text, painter.fontMetrics(), image.size());
  kova::viewer::draw_heatmap(painter, geometry, model, text);
  std::printf("  heatmap: %.1f ms\n", ms(timer));
  kova::viewer::ProfileText profile;
  profile.title = QStringLiteral("profiles");
  kova::viewer::draw_profiles(painter, image.rect(), run.table, rows, samples, profile);
  return ms(timer);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const kova::viewer::CommandLine line = kova::viewer::parse_command_line(
      std::vector<std::string>(argv + 1, argv + argc), std::filesystem::current_path());
  if (!line.error.empty() || !line.run) {
    std::fprintf(stderr, "usage: kovaview_bench OUTPUT MATRIX GENES SAMPLES\n");
    return 2;
  }

  QElapsedTimer timer;
  timer.start();
  const LoadedRun run = kova::viewer::load_run(*line.run);
  std::printf("load_run (matrix, output file, report): %.1f ms, %zu biclusters, %d x %d\n", ms(timer),
              run.biclusters.size(), run.table.genes(), run.table.samples());

  kova::viewer::ViewerWindow window;
  window.resize(1280, 820);
  window.show();
  timer.restart();
  const QString error = window.open_run(*line.run);
  if (!error.isEmpty()) {
    std::fprintf(stderr, "%s\n", qPrintable(error));
    return 1;
  }
  app.processEvents();
  std::printf("window open_run, first bicluster shown: %.1f ms\n", ms(timer));
  // The plain r columns are computed on a worker thread; the window does not wait for them.
  while (!window.measures_ready()) app.processEvents(QEventLoop::AllEvents, 1);
  std::printf("plain r columns ready: %.1f ms after open_run began\n", ms(timer));

  auto* table = window.findChild<QTableView*>(QStringLiteral("biclusterTable"));
  const int steps = std::min(table->model()->rowCount(), 500);
  timer.restart();
  for (int row = 0; row < steps; ++row) {
    table->selectRow(row);
    window.grab();  // paints the visible pane as the screen would
  }
  std::printf("select and paint a bicluster: %.2f ms on average over %d\n", ms(timer) / std::max(steps, 1), steps);

  timer.restart();
  table->sortByColumn(1, Qt::DescendingOrder);
  std::printf("sort %d biclusters by genes: %.1f ms\n", table->model()->rowCount(), ms(timer));
  timer.restart();
  table->sortByColumn(kova::viewer::BiclusterListModel::SmallestR, Qt::AscendingOrder);
  std::printf("sort %d biclusters by smallest plain r: %.1f ms\n", table->model()->rowCount(), ms(timer));

  timer.restart();
  const std::atomic<bool> never_stop = false;
  const auto measures = kova::viewer::plain_correlations(run, never_stop);
  std::printf("plain r of all %zu biclusters, on one thread: %.1f ms\n", measures.size(), ms(timer));

  // The worst a bicluster can be: every gene of the matrix.
  std::vector<std::int32_t> all(static_cast<std::size_t>(run.table.genes()));
  std::iota(all.begin(), all.end(), 0);
  std::vector<std::int32_t> half;
  for (std::int32_t s = 0; s < run.table.samples(); s += 2) half.push_back(s);
  std::printf("heatmap and profiles of all %d genes: %.1f ms\n", run.table.genes(), draw_both(run, all, half));
  return 0;
}
