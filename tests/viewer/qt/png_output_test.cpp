// Runs the real kovaview --png without a display and checks the picture it draws, and saves SVG.

#include <QProcess>
#include <QSvgRenderer>
#include <QtTest>

#include "tests/support/temp_dir.hpp"
#include "tests/viewer/written_run.hpp"
#include "viewer/core/clustering.hpp"
#include "viewer/qt/bicluster_pictures.hpp"

namespace kova::viewer {

struct Finished {
  int status = -1;
  QString err;
};

Finished run_kovaview(const QStringList& arguments) {
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(name);
  process.setProcessEnvironment(environment);
  process.start(QStringLiteral(KOVAVIEW_PATH), arguments);
  if (!process.waitForFinished(60000)) return {};
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          QString::fromLocal8Bit(process.readAllStandardError())};
}

QStringList run_arguments(const RunFiles& files) {
  return {QString::fromStdString(files.output.string()), QString::fromStdString(files.matrix.string()),
          QString::number(files.genes), QString::number(files.samples)};
}

QColor colour_of(Rgb rgb) { return QColor(rgb.r, rgb.g, rgb.b); }

class PngOutputTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    dir_ = std::make_unique<test::TempDir>();
    files_ = test::write_run(dir_->path(), test::kWorkedRows, 0.9);
  }

  // Bicluster 3 is g1 and g5 over samples 1, 3 and 5: those three columns come first and are
  // marked, samples 2 and 4 follow unmarked, and every cell holds its own sample's colour.
  void draws_the_selected_samples_first_and_marked() {
    const QString png = QString::fromStdString((dir_->path() / "b3.png").string());
    const Finished finished = run_kovaview(QStringList{"--png", png, "--bicluster", "3"} + run_arguments(files_));
    QCOMPARE(finished.status, 0);
    QImage image(png);
    QVERIFY(!image.isNull());

    const LoadedRun run = load_run(files_);
    const BiclusterHeatmap heatmap = bicluster_heatmap(run, 2);
    const HeatmapGeometry geometry =
        natural_heatmap_geometry(heatmap.model, heatmap.text, picture_font_metrics(QGuiApplication::font()));
    QCOMPARE(image.size(), geometry.size);
    QCOMPARE(geometry.rows, 2);
    QCOMPARE(geometry.columns, 5);
    QVERIFY(QRect(QPoint(0, 0), image.size()).contains(geometry.cells));

    const int expected_samples[] = {0, 2, 4, 1, 3};  // 0-based, in drawing order
    const int gene_rows[] = {0, 4};                 // g1, g5
    for (int c = 0; c < 5; ++c) {
      const QPoint above(geometry.cell_rect(0, c).center().x(), geometry.marker.center().y());
      QCOMPARE(image.pixelColor(above) == kMarkerColour, c < 3);
      for (int r = 0; r < 2; ++r) {
        const std::vector<double> centred = centred_row(run.table.row(gene_rows[r]));
        const QColor expected = colour_of(diverging_colour(centred[static_cast<std::size_t>(expected_samples[c])]));
        QCOMPARE(image.pixelColor(geometry.cell_rect(r, c).center()), expected);
      }
    }
  }

  // Bicluster 1 (g1, g2, g4 over all five samples) clustered and annotated: rows and columns in
  // the clustered order, and each column's class colour in the bar above it.
  void draws_clustered_and_annotated_heatmaps_at_any_size() {
    const std::filesystem::path samples = dir_->path() / "samples.txt";
    test::write_file(samples, "#name\ttype\nA\tcase\nB\tcontrol\nC\tcase\nD\tcase\nE\tcontrol\n");
    const QString png = QString::fromStdString((dir_->path() / "b1.png").string());
    const QStringList options = {"--cluster", "--samples", QString::fromStdString(samples.string()), "--png", png,
                                 "--bicluster", "1"};
    QCOMPARE(run_kovaview(options + run_arguments(files_)).status, 0);
    const QImage image(png);

    const LoadedRun run = load_run(files_);
    const SampleAnnotation annotation = read_sample_annotation(samples, 5);
    const BiclusterHeatmap heatmap = bicluster_heatmap(run, 0, {&annotation, true});
    const HeatmapGeometry geometry =
        natural_heatmap_geometry(heatmap.model, heatmap.text, picture_font_metrics(QGuiApplication::font()));
    QCOMPARE(image.size(), geometry.size);
    const ClusteredOrder order = clustered_order(run.table, run.gene_rows[0], selected_samples(run, 0));
    QCOMPARE(heatmap.model.rows, order.rows);
    QCOMPARE(heatmap.text.sample_names.front(), QString::fromStdString(annotation.label(order.samples.front())));
    for (int c = 0; c < 5; ++c) {
      const auto sample = static_cast<std::size_t>(order.samples[static_cast<std::size_t>(c)]);
      const QRect cell = geometry.cell_rect(0, c);
      const QColor expected_class = class_bars(annotation, order.samples)[0].colours[static_cast<std::size_t>(c)];
      QCOMPARE(image.pixelColor(cell.center().x(), class_bar_top(geometry, 0) + 2), expected_class);
      for (int r = 0; r < 3; ++r) {
        const std::vector<double> centred = centred_row(run.table.row(order.rows[static_cast<std::size_t>(r)]));
        QCOMPARE(image.pixelColor(geometry.cell_rect(r, c).center()), colour_of(diverging_colour(centred[sample])));
      }
    }

    QCOMPARE(run_kovaview(QStringList{"--size", "640x300"} + options + run_arguments(files_)).status, 0);
    QCOMPARE(QImage(png).size(), QSize(640, 300));

    // At twice the resolution: the same layout with twice the pixels each way.
    QCOMPARE(run_kovaview(QStringList{"--dpi", "192"} + options + run_arguments(files_)).status, 0);
    const QImage sharp(png);
    QCOMPARE(sharp.size(), geometry.size * 2);
    QCOMPARE(sharp.dotsPerMeterX(), 7559);
    const QRect first = geometry.cell_rect(0, 0);
    QCOMPARE(sharp.pixelColor(first.center() * 2), image.pixelColor(first.center()));
  }

  // A matrix longer than the run: the engine's warning, file named, before the table is written.
  void writes_tables_and_passes_on_the_matrix_warnings() {
    test::write_file(files_.matrix, test::matrix_text(test::kWorkedRows) + "g6\t1\t2\t3\t4\t5\n");
    const std::filesystem::path table = dir_->path() / "t.tsv";
    const Finished finished =
        run_kovaview(QStringList{"--table", QString::fromStdString(table.string())} + run_arguments(files_));
    QCOMPARE(finished.status, 0);
    QVERIFY2(finished.err.contains(QStringLiteral("kovaview: warning: '") + QString::fromStdString(files_.matrix.string()) +
                                   QStringLiteral("': only the first 5")),
             qPrintable(finished.err));
    QVERIFY(test::read_file(table).starts_with("bicluster\tgenes\tsamples\tsize\tmin_r\tmedian_r\tmax_r\tgene_names\r\n1\t3\t5\t15\t"));
  }

  void refuses_what_it_cannot_draw() {
    const QString png = QString::fromStdString((dir_->path() / "x.png").string());
    Finished finished = run_kovaview(QStringList{"--png", png, "--bicluster", "4"} + run_arguments(files_));
    QCOMPARE(finished.status, 1);
    QVERIFY2(finished.err.contains(QStringLiteral("holds 3 biclusters, there is no bicluster 4")), qPrintable(finished.err));

    test::write_file(files_.matrix, "g1 1 2 3 4 5\ng2 2 4 6 8 11\n");
    finished = run_kovaview(QStringList{"--png", png, "--bicluster", "1"} + run_arguments(files_));
    QCOMPARE(finished.status, 1);
    QVERIFY2(finished.err.contains(QStringLiteral("kovaview: error: '") +
                                     QString::fromStdString(files_.matrix.string()) + QStringLiteral("' line 2")),
             qPrintable(finished.err));
    QVERIFY(!QFile::exists(png));

    finished = run_kovaview({QStringLiteral("--png"), png, QStringLiteral("--bicluster"), QStringLiteral("1")});
    QCOMPARE(finished.status, 2);
    QVERIFY(finished.err.contains(QStringLiteral("usage: kovaview")));
  }

  void saves_svg_and_png_pictures() {
    const LoadedRun run = load_run(files_);
    const auto paint = [&](QPainter& painter, QSize size) {
      draw_profiles(painter, QRect(QPoint(0, 0), size), run.table, run.gene_rows[0], selected_samples(run, 0),
                    profile_text(run, 0, nullptr));
    };
    const QString svg = QString::fromStdString((dir_->path() / "p.SVG").string());
    QCOMPARE(save_picture(svg, kProfilePictureSize, QGuiApplication::font(), paint), QString());
    QSvgRenderer renderer(svg);
    QVERIFY(renderer.isValid());
    QCOMPARE(renderer.viewBox(), QRect(QPoint(0, 0), kProfilePictureSize));

    const QString png = QString::fromStdString((dir_->path() / "p.png").string());
    QCOMPARE(save_picture(png, kProfilePictureSize, QGuiApplication::font(), paint), QString());
    QCOMPARE(QImage(png).size(), kProfilePictureSize);

    const QString nowhere = QString::fromStdString((dir_->path() / "missing" / "p.svg").string());
    QVERIFY(save_picture(nowhere, kProfilePictureSize, QGuiApplication::font(), paint).contains(nowhere));
  }

 private:
  std::unique_ptr<test::TempDir> dir_;
  RunFiles files_;
};

}  // namespace kova::viewer

QTEST_MAIN(kova::viewer::PngOutputTest)
#include "png_output_test.moc"
