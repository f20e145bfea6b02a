#include "viewer/qt/viewer_window.hpp"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

#include "viewer/core/table_export.hpp"
#include "viewer/qt/bicluster_list_model.hpp"
#include "viewer/qt/chart_view.hpp"
#include "viewer/qt/genes_view.hpp"
#include "viewer/qt/open_run_dialog.hpp"

namespace kova::viewer {
namespace {

QPlainTextEdit* copyable_list(const QString& name) {
  auto* text = new QPlainTextEdit;
  text->setObjectName(name);
  text->setReadOnly(true);
  text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  text->setMaximumHeight(110);
  return text;
}

QWidget* titled(const QString& title, QWidget* content) {
  auto* box = new QWidget;
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(new QLabel(title));
  layout->addWidget(content);
  return box;
}

QString as_text(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

// 0 reads "any": no filter; p-values and q-values are typed such as 0.05.
QDoubleSpinBox* most_box(const QString& name, const QString& tip) {
  auto* box = new QDoubleSpinBox;
  box->setObjectName(name);
  box->setRange(0.0, 1.0);
  box->setDecimals(4);
  box->setSingleStep(0.01);
  box->setSpecialValueText(QStringLiteral("any"));
  box->setToolTip(tip);
  return box;
}

std::optional<double> most_of(double value) { return value > 0.0 ? std::optional<double>(value) : std::nullopt; }

// From 0, which reads "any": no filter.
QSpinBox* least_count_box(const QString& name, const QString& tip) {
  auto* box = new QSpinBox;
  box->setObjectName(name);
  box->setRange(0, 1000000);
  box->setSpecialValueText(QStringLiteral("any"));
  box->setToolTip(tip);
  return box;
}

}  // namespace

ViewerWindow::ViewerWindow(QWidget* parent)
    : QMainWindow(parent),
      list_(new BiclusterListModel(this)),
      filter_(new BiclusterFilter(this)),
      table_(new QTableView),
      gene_filter_(new QLineEdit),
      least_r_(new QDoubleSpinBox),
      least_genes_(least_count_box(QStringLiteral("leastGenes"), QStringLiteral("Keep the biclusters of at least this many genes"))),
      least_samples_(least_count_box(QStringLiteral("leastSamples"), QStringLiteral("Keep the biclusters of at least this many samples"))),
      merge_levels_(new QLineEdit),
      most_p_(most_box(QStringLiteral("mostP"), QStringLiteral("Keep the biclusters tested for significance with p at most this"))),
      most_set_q_(most_box(QStringLiteral("mostSetQ"), QStringLiteral("Keep the biclusters whose best gene set has q at most this"))),
      most_class_q_(most_box(QStringLiteral("mostClassQ"), QStringLiteral("Keep the biclusters whose best sample class has q at most this"))),
      meaning_text_(new QPlainTextEdit),
      measure_label_(new QLabel),
      cluster_(new QCheckBox(QStringLiteral("Cluster rows and columns"))),
      genes_(copyable_list(QStringLiteral("geneList"))),
      samples_(copyable_list(QStringLiteral("sampleList"))),
      tabs_(new QTabWidget),
      heatmap_view_(new ChartView),
      profile_view_(new ChartView),
      membership_view_(new ChartView),
      genes_view_(new GenesView) {
  setWindowTitle(QStringLiteral("kovaview"));
  filter_->setSourceModel(list_);
  filter_->setSortRole(BiclusterListModel::kSortRole);
  table_->setObjectName(QStringLiteral("biclusterTable"));
  table_->setModel(filter_);
  table_->setSortingEnabled(true);
  table_->sortByColumn(BiclusterListModel::Number, Qt::AscendingOrder);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->verticalHeader()->hide();
  table_->setTabKeyNavigation(false);  // Tab leaves the list instead of walking its cells
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  // An r reads "undefined" at its widest: fixed widths spare measuring every row when they arrive.
  const QFontMetrics metrics = table_->fontMetrics();
  const int r_width = std::max(metrics.horizontalAdvance(QStringLiteral("Median r")) + 24,
                               metrics.horizontalAdvance(QStringLiteral("undefined")) + 12);
  for (int column = BiclusterListModel::SmallestR; column <= BiclusterListModel::LargestR; ++column) {
    table_->horizontalHeader()->setSectionResizeMode(column, QHeaderView::Fixed);
    table_->horizontalHeader()->resizeSection(column, r_width);
  }
  // The meaning columns are measured once, not on every change of 10000 rows.
  table_->horizontalHeader()->setSectionResizeMode(BiclusterListModel::PValue, QHeaderView::Fixed);
  table_->horizontalHeader()->resizeSection(BiclusterListModel::PValue, r_width);
  for (int column : {BiclusterListModel::BestSet, BiclusterListModel::BestClass}) {
    table_->horizontalHeader()->setSectionResizeMode(column, QHeaderView::Interactive);
    table_->horizontalHeader()->resizeSection(column, metrics.horizontalAdvance(QStringLiteral("mol.biol BCR/ABL: 17 of 20 (q 1e-06)")));
  }
  connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { on_current_row(current); });

  gene_filter_->setObjectName(QStringLiteral("geneFilter"));
  gene_filter_->setPlaceholderText(QStringLiteral("Filter by gene name"));
  gene_filter_->setClearButtonEnabled(true);
  connect(gene_filter_, &QLineEdit::textChanged, this, [this](const QString& text) { filter_->set_gene_text(text); });

  // Below the range is "any": no filter.
  least_r_->setObjectName(QStringLiteral("leastPlainR"));
  least_r_->setRange(-1.05, 1.0);
  least_r_->setSingleStep(0.05);
  least_r_->setDecimals(2);
  least_r_->setSpecialValueText(QStringLiteral("any"));
  least_r_->setValue(least_r_->minimum());
  least_r_->setToolTip(QStringLiteral("Keep the biclusters whose every gene pair has a plain Pearson r at least this"));
  connect(least_r_, &QDoubleSpinBox::valueChanged, this, [this](double value) {
    filter_->set_least_plain_r(value < -1.0 ? std::nullopt : std::optional<double>(value));
  });
  auto* least_row = new QHBoxLayout;
  least_row->addWidget(new QLabel(QStringLiteral("Plain r at least")));
  least_row->addWidget(least_r_, 1);
  connect(least_genes_, &QSpinBox::valueChanged, this, [this](int value) { filter_->set_least_genes(value); });
  connect(least_samples_, &QSpinBox::valueChanged, this, [this](int value) { filter_->set_least_samples(value); });
  auto* size_row = new QHBoxLayout;
  size_row->addWidget(new QLabel(QStringLiteral("Genes at least")));
  size_row->addWidget(least_genes_, 1);
  size_row->addWidget(new QLabel(QStringLiteral("Samples at least")));
  size_row->addWidget(least_samples_, 1);

  connect(most_p_, &QDoubleSpinBox::valueChanged, this, [this](double value) { filter_->set_most_p(most_of(value)); });
  connect(most_set_q_, &QDoubleSpinBox::valueChanged, this, [this](double value) { filter_->set_most_set_q(most_of(value)); });
  connect(most_class_q_, &QDoubleSpinBox::valueChanged, this,
          [this](double value) { filter_->set_most_class_q(most_of(value)); });
  auto* meaning_row = new QHBoxLayout;
  meaning_row->addWidget(new QLabel(QStringLiteral("p at most")));
  meaning_row->addWidget(most_p_, 1);
  meaning_row->addWidget(new QLabel(QStringLiteral("set q")));
  meaning_row->addWidget(most_set_q_, 1);
  meaning_row->addWidget(new QLabel(QStringLiteral("class q")));
  meaning_row->addWidget(most_class_q_, 1);

  merge_levels_->setObjectName(QStringLiteral("mergeLevels"));
  merge_levels_->setPlaceholderText(QStringLiteral("such as B1,B2,B3,B4=B; T1,T2=T"));
  merge_levels_->setToolTip(QStringLiteral("Class levels shown as one in the class bars, legends and exports; Enter applies"));
  connect(merge_levels_, &QLineEdit::returnPressed, this, [this] {
    const QString error = set_level_merges(merge_levels_->text());
    if (!error.isEmpty()) statusBar()->showMessage(QStringLiteral("Class levels not merged: ") + error);
  });

  auto* left = new QWidget;
  auto* left_layout = new QVBoxLayout(left);
  left_layout->setContentsMargins(0, 0, 0, 0);
  left_layout->addWidget(gene_filter_);
  left_layout->addLayout(least_row);
  left_layout->addLayout(size_row);
  left_layout->addLayout(meaning_row);
  auto* merge_row = new QHBoxLayout;
  merge_row->addWidget(new QLabel(QStringLiteral("Merge class levels")));
  merge_row->addWidget(merge_levels_, 1);
  left_layout->addLayout(merge_row);
  left_layout->addWidget(table_);

  heatmap_view_->setObjectName(QStringLiteral("heatmapView"));
  profile_view_->setObjectName(QStringLiteral("profileView"));
  membership_view_->setObjectName(QStringLiteral("membershipView"));
  tabs_->setObjectName(QStringLiteral("pictureTabs"));
  tabs_->addTab(heatmap_view_, QStringLiteral("Heatmap"));
  tabs_->addTab(profile_view_, QStringLiteral("Profiles"));
  tabs_->addTab(membership_view_, QStringLiteral("Samples in biclusters"));
  genes_view_->setObjectName(QStringLiteral("genesView"));
  tabs_->addTab(genes_view_, QStringLiteral("Genes in biclusters"));
  meaning_text_->setObjectName(QStringLiteral("meaningText"));
  meaning_text_->setReadOnly(true);
  meaning_text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  tabs_->addTab(meaning_text_, QStringLiteral("Meaning"));

  cluster_->setObjectName(QStringLiteral("clusterOrder"));
  cluster_->setToolTip(QStringLiteral("Order the heatmap's genes and samples by average-linkage clustering on 1 - r"));
  connect(cluster_, &QCheckBox::toggled, this, [this] { show_bicluster(shown_); });

  auto* copy_genes = new QPushButton(QStringLiteral("Copy genes"));
  copy_genes->setObjectName(QStringLiteral("copyGenes"));
  copy_genes->setToolTip(QStringLiteral("The bicluster's genes, one a line, by symbol where known: for enrichment web tools"));
  connect(copy_genes, &QPushButton::clicked, this, [this] { copy_genes_for_tools(); });
  auto* save_png = new QPushButton(QStringLiteral("Save PNG..."));
  auto* save_svg = new QPushButton(QStringLiteral("Save SVG..."));
  connect(save_png, &QPushButton::clicked, this, [this] { save_current_picture(QStringLiteral("png")); });
  connect(save_svg, &QPushButton::clicked, this, [this] { save_current_picture(QStringLiteral("svg")); });
  auto* lists = new QHBoxLayout;
  lists->addWidget(titled(QStringLiteral("Genes"), genes_), 1);
  lists->addWidget(titled(QStringLiteral("Samples"), samples_), 2);
  auto* saving = new QVBoxLayout;
  saving->addWidget(cluster_);
  saving->addStretch();
  saving->addWidget(copy_genes);
  saving->addWidget(save_png);
  saving->addWidget(save_svg);
  lists->addLayout(saving);

  auto* right = new QWidget;
  auto* right_layout = new QVBoxLayout(right);
  right_layout->setContentsMargins(0, 0, 0, 0);
  right_layout->addWidget(tabs_, 1);
  measure_label_->setObjectName(QStringLiteral("measureLabel"));
  measure_label_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  measure_label_->setWordWrap(true);
  right_layout->addWidget(measure_label_);
  right_layout->addLayout(lists);

  auto* splitter = new QSplitter;
  splitter->addWidget(left);
  splitter->addWidget(right);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({560, 720});  // wide enough for every column of the list
  setCentralWidget(splitter);
  build_menus();
  resize(1280, 820);
  statusBar()->showMessage(QStringLiteral("No run open"));
}

// The run is freed before the base class closes the window, which still asks the lists for rows.
ViewerWindow::~ViewerWindow() {
  stop_measuring();
  list_->set_run(nullptr);
  genes_view_->set_run(nullptr);
}

void ViewerWindow::build_menus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  file->addAction(QStringLiteral("&Open run..."), QKeySequence::Open, this, [this] {
    choose_run(run_ ? run_->files : RunFiles{}, {});
  });
  file->addAction(QStringLiteral("Open sample &annotation..."), this, [this] { choose_annotation(); });
  file->addAction(QStringLiteral("Open gene &names..."), this, [this] { choose_gene_names(); });
  file->addAction(QStringLiteral("Open gene s&ets (GMT)..."), this, [this] { choose_gene_sets(); });
  file->addSeparator();
  file->addAction(QStringLiteral("Save picture as &PNG..."), this, [this] { save_current_picture(QStringLiteral("png")); });
  file->addAction(QStringLiteral("Save picture as &SVG..."), this, [this] { save_current_picture(QStringLiteral("svg")); });
  file->addAction(QStringLiteral("Export &table (CSV/TSV)..."), this, [this] { export_table(); });
  file->addAction(QStringLiteral("Export this bicluster's &genes and samples..."), this, [this] { export_members(false); });
  file->addAction(QStringLiteral("Export all &biclusters' genes and samples..."), this, [this] { export_members(true); });
  file->addAction(QStringLiteral("Export this bicluster's genes as G&MT..."), this, [this] { export_gmt(false); });
  file->addAction(QStringLiteral("Export the listed biclusters' genes as GM&T..."), this, [this] { export_gmt(true); });
  file->addSeparator();
  file->addAction(QStringLiteral("&Quit"), QKeySequence::Quit, this, &QWidget::close);
}

QString ViewerWindow::open_run(const RunFiles& files) {
  QElapsedTimer timer;
  timer.start();
  std::unique_ptr<LoadedRun> run;
  try {
    run = std::make_unique<LoadedRun>(load_run(files));
  } catch (const std::exception& error) {
    return QString::fromStdString(error.what());
  }
  // The list lets go of the old run before it is freed, and sees the new one only once it is held.
  show_bicluster(std::nullopt);
  stop_measuring();
  list_->set_run(nullptr);
  list_->set_meaning(nullptr, nullptr);
  meaning_ = {};
  genes_view_->set_run(nullptr);
  run_ = std::move(run);
  list_->set_run(run_.get());
  genes_view_->set_run(run_.get());
  start_measuring();
  setWindowTitle(QStringLiteral("kovaview - %1").arg(as_text(files.output)));

  membership_view_->set_painter([this](QPainter& painter, QSize size) { paint_membership(painter, size); });
  // Filters set for the last run would leave this one's list empty for no visible reason.
  QStringList notes;
  if (filter_->criteria().any()) notes.push_back(QStringLiteral("filters cleared"));
  gene_filter_->clear();
  least_r_->setValue(least_r_->minimum());
  least_genes_->setValue(0);
  least_samples_->setValue(0);
  for (QDoubleSpinBox* most : {most_p_, most_set_q_, most_class_q_}) most->setValue(0.0);
  if (const QString note = check_annotation(); !note.isEmpty()) notes.push_back(note);
  if (const QString note = check_gene_names(); !note.isEmpty()) notes.push_back(note);
  meaning_ = {};
  try {
    read_significance_beside(*run_, meaning_);
    if (!meaning_.significance_file.empty()) notes.push_back(QStringLiteral("p-values from ") + as_text(meaning_.significance_file));
  } catch (const std::exception& error) {
    notes.push_back(QStringLiteral("significance not shown (%1)").arg(QString::fromStdString(error.what())));
  }
  if (const QString note = find_enrichment(); !note.isEmpty()) notes.push_back(note);
  find_classes();
  show_meaning();
  if (filter_->rowCount() > 0) table_->selectRow(0);
  QString status = QStringLiteral("%1 biclusters; matrix %2 genes x %3 samples; opened in %4 ms")
                       .arg(run_->biclusters.size())
                       .arg(run_->files.genes)
                       .arg(run_->files.samples)
                       .arg(timer.elapsed());
  if (!run_->report_note.empty()) notes.push_back(QString::fromStdString(run_->report_note));
  for (const std::string& warning : run_->matrix_warnings) {
    notes.push_back(QStringLiteral("warning: ") + QString::fromStdString(warning));
  }
  for (const QString& note : notes) status += QStringLiteral("; ") + note;
  run_status_ = status;
  statusBar()->showMessage(status);
  return {};
}

QString ViewerWindow::check_annotation() {
  if (!annotation_) return {};
  try {
    annotation_ = read_annotation(annotation_->file);
    return {};
  } catch (const std::exception& error) {
    annotation_.reset();
    return QStringLiteral("sample annotation dropped (%1)").arg(QString::fromStdString(error.what()));
  }
}

QString ViewerWindow::open_annotation(const std::filesystem::path& path) {
  if (!run_) return QStringLiteral("Open a run first: the annotation must match its samples.");
  try {
    annotation_ = read_annotation(path);
  } catch (const std::exception& error) {
    return QString::fromStdString(error.what());
  }
  find_classes();
  show_meaning();
  show_bicluster(shown_);
  const std::size_t classes = annotation_->classes.size();
  // The run's own line (its warnings included) stays in front.
  statusBar()->showMessage(QStringLiteral("%1; sample annotation %2: %3 %4%5")
                               .arg(run_status_)
                               .arg(as_text(path))
                               .arg(classes)
                               .arg(classes == 1 ? QStringLiteral("class column") : QStringLiteral("class columns"))
                               .arg(annotation_->names.empty() ? QStringLiteral(", no sample names") : QString()));
  return {};
}

void ViewerWindow::find_classes() {
  meaning_.classes = annotation_ ? sample_classes(*annotation_, members_of(*run_)) : std::vector<std::vector<ClassEnrichment>>{};
}

QString ViewerWindow::find_enrichment() {
  meaning_.enrichment.clear();
  meaning_.sets.clear();
  meaning_.sets_file.clear();
  if (!gene_sets_) return {};
  try {
    enrich(*run_, gene_names_ ? &*gene_names_ : nullptr, *gene_sets_, gene_sets_file_, meaning_);
  } catch (const std::exception& error) {
    return QStringLiteral("gene sets not used (%1)").arg(QString::fromStdString(error.what()));
  }
  return {};
}

void ViewerWindow::show_meaning() {
  list_->set_meaning(&meaning_, annotation());
  filter_->meaning_changed();
  most_p_->setEnabled(!meaning_.significance_file.empty());
  most_set_q_->setEnabled(!meaning_.sets_file.empty());
  most_class_q_->setEnabled(!meaning_.classes.empty());
  if (shown_) {
    meaning_text_->setPlainText(QString::fromStdString(meaning_text(*run_, meaning_, *shown_, annotation(), symbols())));
  } else {
    meaning_text_->clear();
  }
}

QString ViewerWindow::open_gene_sets(const std::filesystem::path& path) {
  if (!run_) return QStringLiteral("Open a run first: its biclusters are tested against the sets.");
  RunMeaning tested = meaning_;
  try {
    enrich(*run_, gene_names_ ? &*gene_names_ : nullptr, read_gene_sets(path), path, tested);
  } catch (const std::exception& error) {
    return QString::fromStdString(error.what());
  }
  gene_sets_ = tested.sets;
  gene_sets_file_ = path;
  meaning_ = std::move(tested);
  show_meaning();
  show_bicluster(shown_);
  statusBar()->showMessage(QStringLiteral("%1; gene sets %2: %3 sets").arg(run_status_).arg(as_text(path)).arg(gene_sets_->size()));
  return {};
}

void ViewerWindow::choose_gene_sets() {
  const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open gene sets"), {},
                                                    QStringLiteral("Gene sets (*.gmt);;All files (*)"));
  if (path.isEmpty()) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const QString error = open_gene_sets(path.toStdString());
  QApplication::restoreOverrideCursor();
  if (!error.isEmpty()) QMessageBox::critical(this, QStringLiteral("kovaview"), error);
}

QString ViewerWindow::check_gene_names() {
  symbols_.reset();
  if (gene_names_) {
    try {
      symbols_ = symbols_for(*run_, *gene_names_, gene_names_file_);
    } catch (const std::exception& error) {
      gene_names_.reset();
      return QStringLiteral("gene names dropped (%1)").arg(QString::fromStdString(error.what()));
    }
  }
  filter_->set_symbols(symbols());
  genes_view_->set_symbols(symbols());
  return {};
}

QString ViewerWindow::open_gene_names(const std::filesystem::path& path) {
  if (!run_) return QStringLiteral("Open a run first: the gene names are mapped onto its matrix.");
  std::optional<GeneSymbols> mapped;
  GeneNames names;
  try {
    names = read_gene_names(path);
    mapped = symbols_for(*run_, names, path);
  } catch (const std::exception& error) {
    return QString::fromStdString(error.what());
  }
  gene_names_ = std::move(names);
  gene_names_file_ = path;
  symbols_ = std::move(mapped);
  filter_->set_symbols(symbols());
  genes_view_->set_symbols(symbols());
  const QString enrichment_note = find_enrichment();
  show_meaning();
  show_bicluster(shown_);
  statusBar()->showMessage(QStringLiteral("%1; gene names %2: symbols for %3 of the matrix's %4 genes%5")
                               .arg(run_status_)
                               .arg(as_text(path))
                               .arg(symbols_->known)
                               .arg(run_->table.genes())
                               .arg(enrichment_note.isEmpty() ? QString() : QStringLiteral("; ") + enrichment_note));
  return {};
}

void ViewerWindow::choose_gene_names() {
  const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open gene names"), {},
                                                    QStringLiteral("Gene names (*.txt *.tsv);;All files (*)"));
  if (path.isEmpty()) return;
  const QString error = open_gene_names(path.toStdString());
  if (!error.isEmpty()) QMessageBox::critical(this, QStringLiteral("kovaview"), error);
}

void ViewerWindow::copy_genes_for_tools() {
  if (!run_ || !shown_) return;
  const std::string genes = gene_list_for_tools(*run_, *shown_, symbols());
  QGuiApplication::clipboard()->setText(QString::fromStdString(genes));
  statusBar()->showMessage(QStringLiteral("Copied the %1 genes of bicluster %2%3")
                               .arg(std::count(genes.begin(), genes.end(), '\n'))
                               .arg(run_->biclusters[*shown_].number)
                               .arg(symbols_ ? QStringLiteral(", by symbol where known") : QString()));
}

std::vector<std::size_t> ViewerWindow::listed_order() const {
  std::vector<std::size_t> order;
  for (int row = 0; row < filter_->rowCount(); ++row) {
    order.push_back(static_cast<std::size_t>(filter_->mapToSource(filter_->index(row, 0)).row()));
  }
  return order;
}

void ViewerWindow::export_gmt(bool listed) {
  if (!run_ || (!listed && !shown_)) return;
  const QString suggested = listed ? QStringLiteral("biclusters.gmt")
                                   : QStringLiteral("bicluster%1.gmt").arg(run_->biclusters[*shown_].number);
  const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Export genes as GMT"), suggested,
                                                    QStringLiteral("Gene sets (*.gmt)"));
  if (path.isEmpty()) return;
  const std::vector<std::size_t> order = listed ? listed_order() : std::vector<std::size_t>{*shown_};
  try {
    write_text_file(path.toStdString(), gmt_lines(*run_, order, symbols()));
  } catch (const std::exception& error) {
    QMessageBox::critical(this, QStringLiteral("kovaview"), QString::fromStdString(error.what()));
    return;
  }
  statusBar()->showMessage(QStringLiteral("Saved the genes of %1 biclusters as %2").arg(order.size()).arg(path));
}

SampleAnnotation ViewerWindow::read_annotation(const std::filesystem::path& path) const {
  SampleAnnotation annotation = read_sample_annotation(path, run_->files.samples);
  merge_levels(annotation, merges_);
  return annotation;
}

QString ViewerWindow::set_level_merges(const QString& text) {
  try {
    merges_ = parse_level_merges(text.toStdString());
  } catch (const LevelMergeError& error) {
    return QString::fromStdString(error.what());
  }
  if (merge_levels_->text() != text) merge_levels_->setText(text);
  if (annotation_) {
    if (const QString note = check_annotation(); !note.isEmpty()) statusBar()->showMessage(note);
    find_classes();
    show_meaning();
    show_bicluster(shown_);
  }
  return {};
}

void ViewerWindow::choose_annotation() {
  const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open sample annotation"), {},
                                                    QStringLiteral("Sample annotation (*.txt *.tsv *.meta);;All files (*)"));
  if (path.isEmpty()) return;
  const QString error = open_annotation(path.toStdString());
  if (!error.isEmpty()) QMessageBox::critical(this, QStringLiteral("kovaview"), error);
}

HeatmapOptions ViewerWindow::heatmap_options() const {
  HeatmapOptions options{.annotation = annotation(), .clustered = cluster_->isChecked(), .symbols = symbols()};
  if (shown_) options.p_value = meaning_.p_value(*shown_);
  if (shown_ && measures_ready_) options.measure = &measures_[*shown_];
  return options;
}

QString ViewerWindow::ask_export_path(const QString& title, const QString& suggested) {
  QString path = QFileDialog::getSaveFileName(this, title, suggested,
                                              QStringLiteral("Tab-separated (*.tsv *.txt);;Comma-separated (*.csv)"));
  return path;
}

void ViewerWindow::export_table() {
  if (!run_) return;
  const QString path = ask_export_path(QStringLiteral("Export the bicluster table"), QStringLiteral("biclusters.tsv"));
  if (path.isEmpty()) return;
  // The rows as the list shows them: filtered and sorted.
  const std::vector<std::size_t> order = listed_order();
  const std::atomic<bool> never_stop = false;
  const std::vector<PlainCorrelation> measures = measures_ready_ ? measures_ : plain_correlations(*run_, never_stop);
  try {
    write_text_file(path.toStdString(), bicluster_table_text(*run_, measures, order, separator_for(path.toStdString()),
                                         {.symbols = symbols(), .meaning = &meaning_, .annotation = annotation()}));
  } catch (const std::exception& error) {
    QMessageBox::critical(this, QStringLiteral("kovaview"), QString::fromStdString(error.what()));
    return;
  }
  statusBar()->showMessage(QStringLiteral("Saved the table of %1 biclusters as %2").arg(order.size()).arg(path));
}

void ViewerWindow::export_members(bool all) {
  if (!run_ || (!all && !shown_)) return;
  const QString suggested = all ? QStringLiteral("bicluster_members.tsv")
                                : QStringLiteral("bicluster%1_members.tsv").arg(run_->biclusters[*shown_].number);
  const QString path = ask_export_path(QStringLiteral("Export genes and samples"), suggested);
  if (path.isEmpty()) return;
  const std::vector<std::size_t> order = all ? every_bicluster(*run_) : std::vector<std::size_t>{*shown_};
  try {
    write_text_file(path.toStdString(),
                    bicluster_members_text(*run_, order, annotation(), separator_for(path.toStdString()), symbols()));
  } catch (const std::exception& error) {
    QMessageBox::critical(this, QStringLiteral("kovaview"), QString::fromStdString(error.what()));
    return;
  }
  statusBar()->showMessage(QStringLiteral("Saved the genes and samples of %1 biclusters as %2").arg(order.size()).arg(path));
}

void ViewerWindow::choose_run(const RunFiles& suggested, const QString& note) {
  OpenRunDialog dialog(suggested, note, this);
  while (dialog.exec() == QDialog::Accepted) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QString error = open_run(dialog.files());
    QApplication::restoreOverrideCursor();
    if (error.isEmpty()) return;
    QMessageBox::critical(this, QStringLiteral("kovaview"), error);
  }
}

void ViewerWindow::start_measuring() {
  measures_.clear();
  measures_ready_ = false;
  auto stop = std::make_shared<std::atomic<bool>>(false);
  stop_measures_ = stop;
  std::shared_ptr<const LoadedRun> run = run_;
  measuring_ = std::thread([this, run, stop] {
    auto measures = std::make_shared<std::vector<PlainCorrelation>>(plain_correlations(*run, *stop));
    if (stop->load()) return;
    QMetaObject::invokeMethod(this, [this, run, measures] { take_measures(run, measures); }, Qt::QueuedConnection);
  });
}

void ViewerWindow::stop_measuring() {
  if (stop_measures_) *stop_measures_ = true;
  if (measuring_.joinable()) measuring_.join();
}

void ViewerWindow::take_measures(const std::shared_ptr<const LoadedRun>& run,
                                 const std::shared_ptr<std::vector<PlainCorrelation>>& measures) {
  if (run != run_) return;  // measured for a run no longer open
  measures_ = std::move(*measures);
  measures_ready_ = true;
  list_->set_measures(&measures_);
  filter_->measures_arrived();
  show_measures();
}

void ViewerWindow::show_measures() {
  if (!shown_) {
    measure_label_->clear();
    return;
  }
  const ResultBicluster& b = run_->biclusters[*shown_];
  QString text = QStringLiteral("Bicluster %1, plain Pearson r among its genes over its %2 samples: ")
                     .arg(b.number)
                     .arg(b.samples.size());
  if (!measures_ready_) {
    measure_label_->setText(text + QStringLiteral("computing..."));
    return;
  }
  const PlainCorrelation& m = measures_[*shown_];
  text += QStringLiteral("smallest %1, median %2, largest %3 (%4 gene pairs")
              .arg(r_text(m.smallest, 4), r_text(m.median, 4), r_text(m.largest, 4))
              .arg(m.pairs);
  if (m.undefined > 0) {
    text += QStringLiteral("; %1 undefined: a gene is constant over these samples").arg(m.undefined);
  }
  measure_label_->setText(text + QStringLiteral(")"));
}

void ViewerWindow::on_current_row(const QModelIndex& current) {
  if (!current.isValid()) {
    show_bicluster(std::nullopt);
    return;
  }
  show_bicluster(static_cast<std::size_t>(filter_->mapToSource(current).row()));
}

void ViewerWindow::show_bicluster(std::optional<std::size_t> index) {
  shown_ = index;
  heatmap_.reset();
  show_measures();
  meaning_text_->setPlainText(index ? QString::fromStdString(meaning_text(*run_, meaning_, *index, annotation(), symbols()))
                                    : QString());
  genes_view_->show_bicluster(index);
  if (!index) {
    genes_->clear();
    samples_->clear();
    heatmap_view_->set_painter({});
    profile_view_->set_painter({});
    membership_view_->update();
    return;
  }
  const ResultBicluster& b = run_->biclusters[*index];
  genes_->setPlainText(gene_list(*run_, *index, symbols()));
  samples_->setPlainText(sample_list(b));
  heatmap_ = bicluster_heatmap(*run_, *index, heatmap_options());
  heatmap_view_->set_painter([this](QPainter& painter, QSize size) {
    const HeatmapGeometry geometry = fitted_heatmap_geometry(heatmap_->model, heatmap_->text, painter.fontMetrics(), size);
    draw_heatmap(painter, geometry, heatmap_->model, heatmap_->text);
  });
  profile_view_->set_painter([this, index, text = profile_text(*run_, *index, heatmap_options())](QPainter& painter, QSize size) {
    draw_profiles(painter, QRect(QPoint(0, 0), size), run_->table, run_->gene_rows[*index],
                  selected_samples(*run_, *index), text);
  });
  membership_view_->update();
}

void ViewerWindow::paint_membership(QPainter& painter, QSize size) const {
  std::vector<std::int32_t> marked;
  if (shown_) marked = selected_samples(*run_, *shown_);
  QString title = run_->counts_from_report ? QStringLiteral("Biclusters per sample (from the report)")
                                           : QStringLiteral("Biclusters per sample (counted from the output file)");
  if (shown_) title += QStringLiteral("; samples of bicluster %1 highlighted").arg(run_->biclusters[*shown_].number);
  draw_membership(painter, QRect(QPoint(0, 0), size), run_->sample_counts, marked, title);
}

std::pair<PaintFunction, QSize> ViewerWindow::current_picture() const {
  QWidget* pane = tabs_->currentWidget();
  if (pane == membership_view_ && run_) {
    return {[this](QPainter& painter, QSize size) { paint_membership(painter, size); },
            membership_picture_size(run_->files.samples)};
  }
  if (!shown_ || !heatmap_ || pane == genes_view_) return {};
  if (pane == profile_view_) {
    const std::size_t index = *shown_;
    return {[this, index, text = profile_text(*run_, index, heatmap_options())](QPainter& painter, QSize size) {
              draw_profiles(painter, QRect(QPoint(0, 0), size), run_->table, run_->gene_rows[index],
                            selected_samples(*run_, index), text);
            },
            kProfilePictureSize};
  }
  const HeatmapGeometry geometry = natural_heatmap_geometry(heatmap_->model, heatmap_->text, picture_font_metrics(font()));
  return {[this, geometry](QPainter& painter, QSize) { draw_heatmap(painter, geometry, heatmap_->model, heatmap_->text); },
          geometry.size};
}

void ViewerWindow::save_current_picture(const QString& format) {
  const auto [paint, size] = current_picture();
  if (!paint) {
    QMessageBox::information(this, QStringLiteral("kovaview"),
                             tabs_->currentWidget() == genes_view_
                                 ? QStringLiteral("The genes pane is a table: export it with File > Export.")
                                 : QStringLiteral("Open a run and select a bicluster first."));
    return;
  }
  const QString suggested = shown_ ? QStringLiteral("bicluster%1.%2").arg(run_->biclusters[*shown_].number).arg(format)
                                   : QStringLiteral("membership.%1").arg(format);
  QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save picture"), suggested,
                                              format.toUpper() + QStringLiteral(" (*.") + format + QStringLiteral(")"));
  if (path.isEmpty()) return;
  if (!path.endsWith(QStringLiteral(".") + format, Qt::CaseInsensitive)) path += QStringLiteral(".") + format;
  const QString error = save_picture(path, size, font(), paint);
  if (!error.isEmpty()) QMessageBox::critical(this, QStringLiteral("kovaview"), error);
  else statusBar()->showMessage(QStringLiteral("Saved %1").arg(path));
}

}  // namespace kova::viewer
