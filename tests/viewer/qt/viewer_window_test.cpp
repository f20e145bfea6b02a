// Opens a small finished run in the real window and walks through its biclusters.

#include <QClipboard>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QMenuBar>
#include <QMessageBox>
#include <QThread>
#include <QPushButton>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

#include "tests/support/temp_dir.hpp"
#include "tests/viewer/written_run.hpp"
#include "viewer/qt/bicluster_list_model.hpp"
#include "viewer/qt/chart_view.hpp"
#include "viewer/qt/viewer_window.hpp"

namespace kova::viewer {

bool holds_colour(const QImage& image, const QColor& colour) {
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixelColor(x, y) == colour) return true;
    }
  }
  return false;
}

int shown_number(QTableView* table, int row) {
  return table->model()->index(row, BiclusterListModel::Number).data().toInt();
}

// Answers the next file dialog with `path`, and reads and closes the message box that may follow;
// stops looking once it goes out of scope.
class DialogAnswerer {
 public:
  explicit DialogAnswerer(const std::filesystem::path& path) : state_(std::make_shared<State>()) {
    state_->path = QString::fromStdString(path.string());
    state_->loop_level = QThread::currentThread()->loopLevel();
    poll(state_);
  }
  ~DialogAnswerer() { state_->done = true; }
  const QString& message() const { return state_->message; }

 private:
  struct State {
    QString path;
    QString message;
    bool done = false;
    int polls = 0;
    int loop_level = 0;
  };
  static void poll(const std::shared_ptr<State>& state) {
    QTimer::singleShot(20, [state] {
      if (state->done) return;
      // A dialog is answered only from inside its own event loop: answered while it is still being
      // shown, its exec() would then wait for ever.
      QWidget* modal = QThread::currentThread()->loopLevel() > state->loop_level ? QApplication::activeModalWidget() : nullptr;
      if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
        // Typed into the name field and confirmed with Enter, as a user answers it.
        if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
          name->setText(state->path);
          QTest::keyClick(name, Qt::Key_Return);
        }
      } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        state->message = box->text();
        box->accept();
        return;
      }
      if (++state->polls < 1000) poll(state);
    });
  }
  std::shared_ptr<State> state_;
};

QAction* menu_action(QMainWindow* window, const QString& text) {
  for (QAction* menu : window->menuBar()->actions()) {
    for (QAction* action : menu->menu()->actions()) {
      if (action->text().remove(QLatin1Char('&')).startsWith(text)) return action;
    }
  }
  return nullptr;
}

class ViewerWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    dir_ = std::make_unique<test::TempDir>();
    files_ = test::write_run(dir_->path(), test::kWorkedRows, 0.9);
    window_ = std::make_unique<ViewerWindow>();
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    QCOMPARE(window_->open_run(files_), QString());
    table_ = window_->findChild<QTableView*>(QStringLiteral("biclusterTable"));
    genes_ = window_->findChild<QPlainTextEdit*>(QStringLiteral("geneList"));
    samples_ = window_->findChild<QPlainTextEdit*>(QStringLiteral("sampleList"));
    QVERIFY(table_ && genes_ && samples_);
  }
  void cleanup() { window_.reset(); }

  void opens_with_the_first_bicluster_shown() {
    QCOMPARE(table_->model()->rowCount(), 3);
    QCOMPARE(window_->shown_bicluster(), std::optional<std::size_t>(0));
    QCOMPARE(genes_->toPlainText(), QStringLiteral("g1\ng2\ng4"));
    QCOMPARE(samples_->toPlainText(), QStringLiteral("sample1, sample2, sample3, sample4, sample5, "));
  }

  void selecting_a_bicluster_shows_its_genes_samples_and_heatmap() {
    table_->selectRow(2);
    QCOMPARE(window_->shown_bicluster(), std::optional<std::size_t>(2));
    QCOMPARE(genes_->toPlainText(), QStringLiteral("g1\ng5"));
    QCOMPARE(samples_->toPlainText(), QStringLiteral("sample1, sample3, sample5, "));

    auto* heatmap = window_->findChild<ChartView*>(QStringLiteral("heatmapView"));
    QVERIFY(heatmap);
    const QImage picture = heatmap->grab().toImage();
    QVERIFY(holds_colour(picture, kMarkerColour));
    // g1's first marked sample is sample 1, its lowest value.
    const Rgb lowest = diverging_colour(centred_row(test::kWorkedRows[0])[0]);
    QVERIFY(holds_colour(picture, QColor(lowest.r, lowest.g, lowest.b)));

    auto* tabs = window_->findChild<QTabWidget*>(QStringLiteral("pictureTabs"));
    auto* membership = window_->findChild<ChartView*>(QStringLiteral("membershipView"));
    tabs->setCurrentWidget(membership);
    QVERIFY(holds_colour(membership->grab().toImage(), kMarkerColour));
  }

  void the_list_filters_by_gene_name_and_sorts() {
    auto* filter = window_->findChild<QLineEdit*>(QStringLiteral("geneFilter"));
    QVERIFY(filter);
    filter->setText(QStringLiteral("G3"));
    QCOMPARE(table_->model()->rowCount(), 1);
    QCOMPARE(shown_number(table_, 0), 2);
    table_->selectRow(0);
    QCOMPARE(genes_->toPlainText(), QStringLiteral("g1\ng3"));
    filter->setText(QStringLiteral("g1"));
    QCOMPARE(table_->model()->rowCount(), 3);
    filter->clear();

    table_->sortByColumn(BiclusterListModel::Number, Qt::DescendingOrder);
    QCOMPARE(shown_number(table_, 0), 3);
    table_->sortByColumn(BiclusterListModel::Genes, Qt::DescendingOrder);
    QCOMPARE(shown_number(table_, 0), 1);
  }

  // Bicluster 1 (g1, g2, g4 over all samples): plain r 0.957, 0.969 and 0.996; bicluster 2
  // (g1, g3 over samples 2, 4, 5) 0.982; bicluster 3 (g1, g5 over 1, 3, 5) exactly 1.
  void the_plain_r_columns_arrive_and_sort_and_filter() {
    QTRY_VERIFY(window_->measures_ready());
    const auto cell = [this](int row, int column) { return table_->model()->index(row, column).data().toString(); };
    QCOMPARE(cell(0, BiclusterListModel::SmallestR), QStringLiteral("0.957"));
    QCOMPARE(cell(0, BiclusterListModel::MedianR), QStringLiteral("0.969"));
    QCOMPARE(cell(0, BiclusterListModel::LargestR), QStringLiteral("0.996"));
    auto* label = window_->findChild<QLabel*>(QStringLiteral("measureLabel"));
    QVERIFY(label);
    QVERIFY2(label->text().contains(QStringLiteral("smallest 0.9574, median 0.9693, largest 0.9959 (3 gene pairs)")),
             qPrintable(label->text()));

    table_->sortByColumn(BiclusterListModel::SmallestR, Qt::AscendingOrder);
    QCOMPARE(shown_number(table_, 0), 1);
    QCOMPARE(shown_number(table_, 1), 2);
    QCOMPARE(shown_number(table_, 2), 3);

    auto* least = window_->findChild<QDoubleSpinBox*>(QStringLiteral("leastPlainR"));
    QVERIFY(least);
    QCOMPARE(least->text(), QStringLiteral("any"));
    least->setValue(0.98);
    QCOMPARE(table_->model()->rowCount(), 2);
    least->setValue(0.99);
    QCOMPARE(table_->model()->rowCount(), 1);
    QCOMPARE(shown_number(table_, 0), 3);
  }

  // Bicluster 1 has 3 genes over 5 samples; 2 and 3 have 2 genes over 3 samples.
  void the_size_filters_take_typed_counts() {
    auto* genes = window_->findChild<QSpinBox*>(QStringLiteral("leastGenes"));
    auto* samples = window_->findChild<QSpinBox*>(QStringLiteral("leastSamples"));
    QVERIFY(genes && samples);
    QCOMPARE(genes->text(), QStringLiteral("any"));
    const auto type = [](QSpinBox* box, const QString& text) {
      box->setFocus();
      box->selectAll();
      QTest::keyClicks(box, text);
      QTest::keyClick(box, Qt::Key_Enter);
    };
    type(genes, QStringLiteral("3"));
    QCOMPARE(table_->model()->rowCount(), 1);
    QCOMPARE(shown_number(table_, 0), 1);
    type(genes, QStringLiteral("0"));
    QCOMPARE(table_->model()->rowCount(), 3);
    type(samples, QStringLiteral("4"));
    QCOMPARE(table_->model()->rowCount(), 1);
    type(samples, QStringLiteral("3"));
    QCOMPARE(table_->model()->rowCount(), 3);
    type(samples, QStringLiteral("6"));
    QCOMPARE(table_->model()->rowCount(), 0);

    QCOMPARE(window_->open_run(files_), QString());
    QCOMPARE(samples->value(), 0);
    QCOMPARE(table_->model()->rowCount(), 3);
    QVERIFY(window_->statusBar()->currentMessage().contains(QStringLiteral("filters cleared")));
  }

  // Typed into the merge field, B1 and B2 become B: the bar shows B's colour, and B2's is gone.
  void merged_class_levels_recolour_the_bars() {
    const std::filesystem::path path = dir_->path() / "samples.txt";
    test::write_file(path, "#name\tstage\ns1\tB1\ns2\tB2\ns3\tT\ns4\tB1\ns5\tB\n");
    QCOMPARE(window_->open_annotation(path), QString());
    auto* heatmap = window_->findChild<ChartView*>(QStringLiteral("heatmapView"));
    SampleAnnotation annotation = read_sample_annotation(path, 5);
    const QColor b2 = class_bars(annotation, std::vector<std::int32_t>{1})[0].colours[0];
    QVERIFY(holds_colour(heatmap->grab().toImage(), b2));

    auto* merge = window_->findChild<QLineEdit*>(QStringLiteral("mergeLevels"));
    QVERIFY(merge);
    merge->setFocus();
    QTest::keyClicks(merge, QStringLiteral("B1,B2=B"));
    QTest::keyClick(merge, Qt::Key_Return);
    merge_levels(annotation, parse_level_merges("B1,B2=B"));
    const ClassBar merged = class_bars(annotation, std::vector<std::int32_t>{0})[0];
    QCOMPARE(merged.legend.size(), std::size_t{2});  // B and T
    const QImage picture = heatmap->grab().toImage();
    QVERIFY(holds_colour(picture, merged.colours[0]));
    QVERIFY(!holds_colour(picture, b2));
    // The classes are tested merged: bicluster 1 holds every sample, 4 of them now B.
    QCOMPARE(table_->model()->index(0, BiclusterListModel::BestClass).data().toString(),
             QStringLiteral("stage B: 4 of 5 (q 1)"));

    merge->clear();
    QTest::keyClicks(merge, QStringLiteral("B1 B2"));
    QTest::keyClick(merge, Qt::Key_Return);
    QVERIFY2(window_->statusBar()->currentMessage().contains(QStringLiteral("Class levels not merged: 'B1 B2' has no '='")),
             qPrintable(window_->statusBar()->currentMessage()));
    QVERIFY(holds_colour(heatmap->grab().toImage(), merged.colours[0]));
  }

  // Symbols beside the names in the gene list, the genes pane and the filter; the genes copied for
  // web tools by symbol, one a line.
  void gene_names_show_symbols_and_copy_for_tools() {
    const std::filesystem::path names = dir_->path() / "names.tsv";
    test::write_file(names, "g1\tDDR1\tdiscoidin domain receptor 1\ng2\tTP53\ttumour protein p53\ng4\tTP53\tsecond probe\n");
    QCOMPARE(window_->open_gene_names(names), QString());
    QVERIFY2(window_->statusBar()->currentMessage().contains(QStringLiteral("symbols for 3 of the matrix's 5 genes")),
             qPrintable(window_->statusBar()->currentMessage()));
    QCOMPARE(genes_->toPlainText(), QStringLiteral("g1 (DDR1)\ng2 (TP53)\ng4 (TP53)"));

    auto* copy = window_->findChild<QPushButton*>(QStringLiteral("copyGenes"));
    QVERIFY(copy);
    QTest::mouseClick(copy, Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("DDR1\nTP53\n"));

    auto* filter = window_->findChild<QLineEdit*>(QStringLiteral("geneFilter"));
    filter->setFocus();
    QTest::keyClicks(filter, QStringLiteral("tp5"));
    QCOMPARE(table_->model()->rowCount(), 1);
    QCOMPARE(shown_number(table_, 0), 1);
    filter->clear();

    auto* tabs = window_->findChild<QTabWidget*>(QStringLiteral("pictureTabs"));
    tabs->setCurrentWidget(window_->findChild<QWidget*>(QStringLiteral("genesView")));
    auto* genes = window_->findChild<QTableView*>(QStringLiteral("geneCountTable"));
    QCOMPARE(genes->model()->index(0, 0).data().toString(), QStringLiteral("g1 (DDR1)"));

    // Another run of the same matrix keeps them.
    QCOMPARE(window_->open_run(files_), QString());
    QCOMPARE(genes_->toPlainText(), QStringLiteral("g1 (DDR1)\ng2 (TP53)\ng4 (TP53)"));
  }

  void gene_names_that_cannot_be_used_are_refused_with_the_reason() {
    const std::filesystem::path names = dir_->path() / "names.tsv";
    test::write_file(names, "ENSG01\tA1BG\tone\nENSG02\tA2M\ttwo\n");
    QString error = window_->open_gene_names(names);
    QVERIFY2(error.contains(QString::fromStdString(names.string())) && error.contains(QStringLiteral("none of its 2 names")),
             qPrintable(error));
    QCOMPARE(genes_->toPlainText(), QStringLiteral("g1\ng2\ng4"));

    test::write_file(names, "g1\tDDR1\tone\ng2\n");
    error = window_->open_gene_names(names);
    QVERIFY2(error.contains(QString::fromStdString(names.string())) && error.contains(QStringLiteral("line 2")),
             qPrintable(error));
  }

  // p-values from the file beside the output, gene sets opened, classes from the annotation: each
  // a column of the list, sortable and filterable, and the detail pane lists them.
  void the_meaning_columns_sort_filter_and_explain() {
    test::write_file(dir_->path() / "result.txt.significance.tsv",
                     "bicluster\tp_value\texpected\n1\t0.5\t1\n2\t0.01\t0.02\n3\t0.2\t0.4\n");
    QCOMPARE(window_->open_run(files_), QString());
    QVERIFY2(window_->statusBar()->currentMessage().contains(QStringLiteral("p-values from")),
             qPrintable(window_->statusBar()->currentMessage()));
    const auto cell = [this](int row, int column) { return table_->model()->index(row, column).data().toString(); };
    QCOMPARE(cell(0, BiclusterListModel::PValue), QStringLiteral("0.5"));
    table_->sortByColumn(BiclusterListModel::PValue, Qt::AscendingOrder);
    QCOMPARE(shown_number(table_, 0), 2);
    QCOMPARE(shown_number(table_, 2), 1);

    auto* most_p = window_->findChild<QDoubleSpinBox*>(QStringLiteral("mostP"));
    QVERIFY(most_p && most_p->isEnabled());
    most_p->setFocus();
    most_p->selectAll();
    QTest::keyClicks(most_p, QStringLiteral("0.05"));
    QTest::keyClick(most_p, Qt::Key_Enter);
    QCOMPARE(table_->model()->rowCount(), 1);
    QCOMPARE(shown_number(table_, 0), 2);
    table_->selectRow(0);
    auto* meaning = window_->findChild<QPlainTextEdit*>(QStringLiteral("meaningText"));
    QVERIFY(meaning);
    QVERIFY2(meaning->toPlainText().contains(QStringLiteral("p = 0.01, 0.02 biclusters as large per null run")),
             qPrintable(meaning->toPlainText()));

    const std::filesystem::path sets = dir_->path() / "sets.gmt";
    test::write_file(sets, "SET_A\tfirst\tg2\tg4\tgX\nSET_B\tsecond\tg3\tg5\n");
    QCOMPARE(window_->open_gene_sets(sets), QString());
    QVERIFY(cell(0, BiclusterListModel::BestSet).startsWith(QStringLiteral("SET_B (q ")));
    QVERIFY2(meaning->toPlainText().contains(QStringLiteral("none; the best:\n  SET_B: 1 of its 1 genes in sets, set of 2 (universe 4), p 0.5")),
             qPrintable(meaning->toPlainText()));

    const std::filesystem::path samples = dir_->path() / "samples.txt";
    test::write_file(samples, "#name\ttype\ns1\tcase\ns2\tcontrol\ns3\tcase\ns4\tcontrol\ns5\tcontrol\n");
    QCOMPARE(window_->open_annotation(samples), QString());
    QCOMPARE(cell(0, BiclusterListModel::BestClass), QStringLiteral("type control: 3 of 3 (q 0.2)"));
    QVERIFY(meaning->toPlainText().contains(QStringLiteral("type control: 3 of 3 (3 of 5 in the matrix), p 0.1, q 0.2")));

    // Another run beside no significance file: the p filter is cleared and cannot be set.
    RunFiles other = files_;
    other.output = dir_->path() / "other.txt";
    std::filesystem::copy_file(files_.output, other.output);
    QCOMPARE(window_->open_run(other), QString());
    QVERIFY(!most_p->isEnabled());
    QCOMPARE(table_->model()->rowCount(), 3);
    QCOMPARE(cell(0, BiclusterListModel::PValue), QString());
    QVERIFY(!cell(0, BiclusterListModel::BestSet).isEmpty());  // the sets stay open
  }

  // Through the File menu and its file dialog, as a user opens them; a malformed file is refused
  // in a message box naming the file, the line and the reason.
  void the_file_menu_opens_gene_names_and_gene_sets() {
    const std::filesystem::path names = dir_->path() / "names.tsv";
    test::write_file(names, "g1\tDDR1\tone\n");
    QAction* open_names = menu_action(window_.get(), QStringLiteral("Open gene names"));
    QAction* open_sets = menu_action(window_.get(), QStringLiteral("Open gene sets"));
    QVERIFY(open_names && open_sets);
    {
      const DialogAnswerer answer(names);
      open_names->trigger();
      QVERIFY2(answer.message().isEmpty(), qPrintable(answer.message()));
    }
    QCOMPARE(genes_->toPlainText(), QStringLiteral("g1 (DDR1)\ng2\ng4"));

    const std::filesystem::path sets = dir_->path() / "sets.gmt";
    test::write_file(sets, "SET_A\tfirst\tg2\tg4\nSET_A\tagain\tg3\n");
    {
      const DialogAnswerer answer(sets);
      open_sets->trigger();
      QVERIFY2(answer.message() == QString::fromStdString(sets.string()) +
                                       QStringLiteral(": line 2: the gene set 'SET_A' is given again (first on line 1)"),
               qPrintable(answer.message()));
    }
    // With gene names open, the sets are matched by symbol.
    test::write_file(sets, "SET_A\tfirst\tDDR1\tg4\n");
    {
      const DialogAnswerer answer(sets);
      open_sets->trigger();
      QVERIFY2(answer.message().isEmpty(), qPrintable(answer.message()));
    }
    QVERIFY(table_->model()->index(0, BiclusterListModel::BestSet).data().toString().startsWith(QStringLiteral("SET_A")));
  }

  void malformed_gene_sets_are_refused_with_file_line_and_reason() {
    const std::filesystem::path sets = dir_->path() / "sets.gmt";
    test::write_file(sets, "SET_A\tfirst\tg2\nSET_B\tno genes\n");
    QString error = window_->open_gene_sets(sets);
    QVERIFY2(error.contains(QString::fromStdString(sets.string())) && error.contains(QStringLiteral("line 2")),
             qPrintable(error));
    test::write_file(sets, "SET_A\tfirst\tTP53\n");
    error = window_->open_gene_sets(sets);
    QVERIFY2(error.contains(QString::fromStdString(sets.string())) && error.contains(QStringLiteral("no name of the matrix")),
             qPrintable(error));
    QCOMPARE(table_->model()->index(0, BiclusterListModel::BestSet).data().toString(), QString());
  }

  void opening_another_run_clears_the_filters_and_says_so() {
    auto* filter = window_->findChild<QLineEdit*>(QStringLiteral("geneFilter"));
    filter->setText(QStringLiteral("no such gene"));
    QCOMPARE(table_->model()->rowCount(), 0);
    QCOMPARE(window_->open_run(files_), QString());
    QCOMPARE(filter->text(), QString());
    QCOMPARE(table_->model()->rowCount(), 3);
    QVERIFY(window_->statusBar()->currentMessage().contains(QStringLiteral("filters cleared")));
  }

  void tab_moves_on_from_the_list() {
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    table_->setFocus();
    QVERIFY(table_->hasFocus());
    QTest::keyClick(table_, Qt::Key_Tab);
    QVERIFY(!table_->hasFocus());
  }

  void a_sample_annotation_must_fit_the_matrix() {
    const std::filesystem::path path = dir_->path() / "samples.txt";
    test::write_file(path, "s1\tcase\ns2\tcontrol\ns3\tcase\ns4\tcase\n");
    const QString error = window_->open_annotation(path);
    QVERIFY2(error.contains(QStringLiteral("line 4: one line per sample")) && error.contains(QStringLiteral("the matrix has 5")),
             qPrintable(error));
    test::write_file(path, "s1\tcase\ns2\tcontrol\ns3\tcase\ns4\tcase\ns5\tcontrol\n");
    QCOMPARE(window_->open_annotation(path), QString());
    const QString status = window_->statusBar()->currentMessage();
    QVERIFY2(status.startsWith(QStringLiteral("3 biclusters;")) && status.contains(QStringLiteral("sample annotation")),
             qPrintable(status));
    auto* heatmap = window_->findChild<ChartView*>(QStringLiteral("heatmapView"));
    const ClassBar bar = class_bars(read_sample_annotation(path, 5), std::vector<std::int32_t>{0})[0];
    QVERIFY(holds_colour(heatmap->grab().toImage(), bar.colours[0]));
  }

  void the_genes_pane_counts_biclusters_per_gene_and_names_the_shared_ones() {
    auto* genes = window_->findChild<QTableView*>(QStringLiteral("geneCountTable"));
    auto* shared = window_->findChild<QLabel*>(QStringLiteral("sharedGenes"));
    QVERIFY(genes && shared);
    // Filled when first shown.
    QCOMPARE(genes->model()->rowCount(), 0);
    auto* tabs = window_->findChild<QTabWidget*>(QStringLiteral("pictureTabs"));
    tabs->setCurrentWidget(window_->findChild<QWidget*>(QStringLiteral("genesView")));
    QCOMPARE(genes->model()->rowCount(), 5);
    // Sorted by count, most first: g1 heads all three biclusters.
    QCOMPARE(genes->model()->index(0, 0).data().toString(), QStringLiteral("g1"));
    QCOMPARE(genes->model()->index(0, 1).data().toInt(), 3);
    QCOMPARE(genes->model()->index(0, 2).data().toString(), QStringLiteral("1, 2, 3"));
    table_->selectRow(1);
    QCOMPARE(shared->text(), QStringLiteral("Bicluster 2 (highlighted) shares 1 of its genes: g1 (also in 1, 3)"));
  }

  void a_bad_run_is_refused_and_the_open_one_stays() {
    table_->selectRow(1);
    RunFiles bad = files_;
    bad.matrix = dir_->path() / "short.txt";
    test::write_file(bad.matrix, "g1 1 2 3 4 5\ng2 2 4 6\n");
    const QString error = window_->open_run(bad);
    QVERIFY2(error.contains(QString::fromStdString(bad.matrix.string())), qPrintable(error));
    QVERIFY2(error.contains(QStringLiteral("line 2")), qPrintable(error));
    QCOMPARE(table_->model()->rowCount(), 3);
    QCOMPARE(window_->shown_bicluster(), std::optional<std::size_t>(1));
    QCOMPARE(genes_->toPlainText(), QStringLiteral("g1\ng3"));
  }

 private:
  std::unique_ptr<test::TempDir> dir_;
  RunFiles files_;
  std::unique_ptr<ViewerWindow> window_;
  QTableView* table_ = nullptr;
  QPlainTextEdit* genes_ = nullptr;
  QPlainTextEdit* samples_ = nullptr;
};

}  // namespace kova::viewer

QTEST_MAIN(kova::viewer::ViewerWindowTest)
#include "viewer_window_test.moc"
