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
  QString out;
};

Finished run_kovaview(const QStringList& arguments) {
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(name);
  process.setProcessEnvironment(environment);
  process.start(QStringLiteral(KOVAVIEW_PATH), arguments);
  if (!process.waitForFinished(60000)) return {};
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          QString::fromLocal8Bit(process.readAllStandardError()), QString::fromLocal8Bit(process.readAllStandardOutput())};
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
    const BiclusterHeatmap heatmap = bicluster_heatmap(run, 0, {.annotation = &annotation, .clustered = true});
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

  // Without GENES and SAMPLES the matrix is counted, as kova2 does; --help answers with the usage.
  void counts_the_matrix_and_answers_help() {
    const std::filesystem::path counted = dir_->path() / "counted.tsv";
    const std::filesystem::path given = dir_->path() / "given.tsv";
    QStringList arguments = run_arguments(files_);
    QCOMPARE(run_kovaview(QStringList{"--table", QString::fromStdString(given.string())} + arguments).status, 0);
    arguments.removeLast();
    arguments.removeLast();
    QCOMPARE(run_kovaview(QStringList{"--table", QString::fromStdString(counted.string())} + arguments).status, 0);
    QCOMPARE(test::read_file(counted), test::read_file(given));

    const Finished help = run_kovaview({QStringLiteral("--help")});
    QCOMPARE(help.status, 0);
    QVERIFY2(help.out.startsWith(QStringLiteral("usage: kovaview")) && help.out.endsWith(QStringLiteral("\r\n")),
             qPrintable(help.out));
    QVERIFY(help.err.isEmpty());
  }

  // The table, the members and the GMT lines carry the symbols of --gene-names.
  void writes_symbols_and_gmt_lines() {
    const std::filesystem::path names = dir_->path() / "names.tsv";
    test::write_file(names, "g1\tDDR1\tone\ng5\tMARCH1\tfive\n");
    const std::filesystem::path members = dir_->path() / "m.csv";
    const std::filesystem::path gmt = dir_->path() / "b.gmt";
    const Finished finished = run_kovaview(QStringList{"--gene-names", QString::fromStdString(names.string()), "--members",
                                                       QString::fromStdString(members.string()), "--gmt",
                                                       QString::fromStdString(gmt.string())} +
                                           run_arguments(files_));
    QCOMPARE(finished.status, 0);
    QVERIFY(test::read_file(members).starts_with("bicluster,member,position,name,symbol\r\n1,gene,1,\"g1\",\"DDR1\"\r\n"));
    QCOMPARE(test::read_file(gmt), std::string("kova_bicluster_1\tresult.txt: bicluster 1, 3 genes x 5 samples\tDDR1\tg2\tg4\r\n"
                                               "kova_bicluster_2\tresult.txt: bicluster 2, 2 genes x 3 samples\tDDR1\tg3\r\n"
                                               "kova_bicluster_3\tresult.txt: bicluster 3, 2 genes x 3 samples\tDDR1\tMARCH1\r\n"));
  }

  // The table names each bicluster's p-value (from the file beside the output), best gene set and
  // best sample class; what a bicluster lacks is NA.
  void the_table_carries_what_the_biclusters_mean() {
    test::write_file(dir_->path() / "result.txt.significance.tsv", "bicluster\tp_value\texpected\n1\t0.5\t1\n2\t0.01\t0.02\n");
    const std::filesystem::path sets = dir_->path() / "sets.gmt";
    test::write_file(sets, "SET_A\tfirst\tg2\tg4\tgX\nSET_B\tsecond\tg3\tg5\n");
    const std::filesystem::path samples = dir_->path() / "samples.txt";
    test::write_file(samples, "#name\ttype\ns1\tcase\ns2\tcontrol\ns3\tcase\ns4\tcontrol\ns5\tcontrol\n");
    const std::filesystem::path table = dir_->path() / "t.tsv";
    const Finished finished =
        run_kovaview(QStringList{"--samples", QString::fromStdString(samples.string()), "--gene-sets",
                                 QString::fromStdString(sets.string()), "--table", QString::fromStdString(table.string())} +
                     run_arguments(files_));
    QCOMPARE(finished.status, 0);
    const QStringList lines = QString::fromStdString(test::read_file(table)).split(QStringLiteral("\r\n"));
    QCOMPARE(lines[0], QStringLiteral("bicluster\tgenes\tsamples\tsize\tmin_r\tmedian_r\tmax_r\tgene_names\tp_value\texpected\t"
                                      "best_gene_set\tgene_set_q\tbest_class\tclass_q"));
    // SET_A: p = 1/6 over two sets, q = 1/3 to the hypergeometric's 1e-12.
    const QStringList first = lines[1].split(QLatin1Char('\t'));
    QCOMPARE(first.mid(7, 4), (QStringList{"g1 g2 g4", "0.5", "1", "SET_A"}));
    QVERIFY(std::abs(first[11].toDouble() - 1.0 / 3) < 1e-12);
    QCOMPARE(first.mid(12), (QStringList{"type case", "1"}));
    const QStringList second = lines[2].split(QLatin1Char('\t'));
    QCOMPARE(second.mid(7, 6), (QStringList{"g1 g3", "0.01", "0.02", "SET_B", "1", "type control"}));
    QVERIFY(std::abs(second[13].toDouble() - 0.2) < 1e-12);  // 1 / C(5,3) over the column's two classes
    QVERIFY2(lines[3].contains(QStringLiteral("\tg1 g5\tNA\tNA\tSET_B\t")), qPrintable(lines[3]));

    // A malformed significance file stops the batch run with its file and line.
    test::write_file(dir_->path() / "result.txt.significance.tsv", "bicluster\tp_value\n9\t0.5\n");
    const Finished refused = run_kovaview(QStringList{"--table", QString::fromStdString(table.string())} + run_arguments(files_));
    QCOMPARE(refused.status, 1);
    QVERIFY2(refused.err.contains(QStringLiteral("result.txt.significance.tsv' line 2: bicluster 9")), qPrintable(refused.err));
  }

  // Every picture's title says how well its genes really correlate: bicluster 3 (g1, g5 over
  // samples 1, 3, 5) has a plain r of exactly 1.
  void titles_carry_the_plain_r() {
    const LoadedRun run = load_run(files_);
    QVERIFY2(bicluster_heatmap(run, 2).text.title.endsWith(QStringLiteral("\nplain r 1.000")),
             qPrintable(bicluster_heatmap(run, 2).text.title));
    HeatmapOptions options;
    options.p_value = 0.25;
    QVERIFY(profile_text(run, 2, options).title.endsWith(QStringLiteral("; plain r 1.000; p = 0.25")));
  }

  // Three class columns of many levels at a small --size: every legend line is inside the picture,
  // and each level's swatch is drawn.
  void the_class_legend_is_never_cut() {
    std::string text = "#name\tstage\tsubtype\tsite\n";
    const char* stages[] = {"B1", "B2", "B3", "B4", "T1"};
    for (int s = 0; s < 5; ++s) {
      text += "s" + std::to_string(s + 1) + "\t" + stages[s] + "\tsub" + std::to_string(s) + "\tsite" +
              std::to_string(s % 3) + "\n";
    }
    const std::filesystem::path samples = dir_->path() / "samples.txt";
    test::write_file(samples, text);
    const QString png = QString::fromStdString((dir_->path() / "small.png").string());
    const QSize size(420, 160);
    QCOMPARE(run_kovaview(QStringList{"--samples", QString::fromStdString(samples.string()), "--size", "420x160", "--png",
                                      png, "--bicluster", "1"} +
                          run_arguments(files_))
                 .status,
             0);
    const QImage image(png);
    QCOMPARE(image.size(), size);

    const LoadedRun run = load_run(files_);
    const SampleAnnotation annotation = read_sample_annotation(samples, 5);
    const BiclusterHeatmap heatmap = bicluster_heatmap(run, 0, {.annotation = &annotation});
    const HeatmapGeometry geometry =
        fitted_heatmap_geometry(heatmap.model, heatmap.text, picture_font_metrics(QGuiApplication::font()), size);
    QVERIFY2(QRect(QPoint(0, 0), size).contains(geometry.class_legend),
             qPrintable(QStringLiteral("legend %1,%2 %3x%4").arg(geometry.class_legend.x()).arg(geometry.class_legend.y())
                            .arg(geometry.class_legend.width()).arg(geometry.class_legend.height())));
    QVERIFY(geometry.class_legend_rows < 16);  // 3 titles and 13 levels: more than one column
    // The legend is sorted: B1 before B2 before B3.
    QCOMPARE(heatmap.text.class_bars[0].legend[0].first, QStringLiteral("B1"));
    QCOMPARE(heatmap.text.class_bars[0].legend[2].first, QStringLiteral("B3"));
    const QRect legend_area = geometry.class_legend;
    for (const ClassBar& bar : heatmap.text.class_bars) {
      for (const auto& [level, colour] : bar.legend) {
        bool found = false;
        for (int y = legend_area.top(); y <= legend_area.bottom() && !found; ++y) {
          for (int x = legend_area.left(); x <= legend_area.right() && !found; ++x) found = image.pixelColor(x, y) == colour;
        }
        QVERIFY2(found, qPrintable(level));
      }
    }
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
                    profile_text(run, 0, {}));
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
