#include "viewer/viewer_window.hpp"

#include <QApplication>
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
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "viewer/bicluster_list_model.hpp"
#include "viewer/chart_view.hpp"
#include "viewer/open_run_dialog.hpp"

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

}  // namespace

ViewerWindow::ViewerWindow(QWidget* parent)
    : QMainWindow(parent),
      list_(new BiclusterListModel(this)),
      filter_(new GeneNameFilter(this)),
      table_(new QTableView),
      gene_filter_(new QLineEdit),
      genes_(copyable_list(QStringLiteral("geneList"))),
      samples_(copyable_list(QStringLiteral("sampleList"))),
      tabs_(new QTabWidget),
      heatmap_view_(new ChartView),
      profile_view_(new ChartView),
      membership_view_(new ChartView) {
  setWindowTitle(QStringLiteral("kovaview"));
  filter_->setSourceModel(list_);
  filter_->setSortRole(Qt::DisplayRole);
  table_->setObjectName(QStringLiteral("biclusterTable"));
  table_->setModel(filter_);
  table_->setSortingEnabled(true);
  table_->sortByColumn(BiclusterListModel::Number, Qt::AscendingOrder);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->verticalHeader()->hide();
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { on_current_row(current); });

  gene_filter_->setObjectName(QStringLiteral("geneFilter"));
  gene_filter_->setPlaceholderText(QStringLiteral("Filter by gene name"));
  gene_filter_->setClearButtonEnabled(true);
  connect(gene_filter_, &QLineEdit::textChanged, this, [this](const QString& text) { filter_->set_gene_text(text); });

  auto* left = new QWidget;
  auto* left_layout = new QVBoxLayout(left);
  left_layout->setContentsMargins(0, 0, 0, 0);
  left_layout->addWidget(gene_filter_);
  left_layout->addWidget(table_);

  heatmap_view_->setObjectName(QStringLiteral("heatmapView"));
  profile_view_->setObjectName(QStringLiteral("profileView"));
  membership_view_->setObjectName(QStringLiteral("membershipView"));
  tabs_->setObjectName(QStringLiteral("pictureTabs"));
  tabs_->addTab(heatmap_view_, QStringLiteral("Heatmap"));
  tabs_->addTab(profile_view_, QStringLiteral("Profiles"));
  tabs_->addTab(membership_view_, QStringLiteral("Samples in biclusters"));

  auto* save_png = new QPushButton(QStringLiteral("Save PNG..."));
  auto* save_svg = new QPushButton(QStringLiteral("Save SVG..."));
  connect(save_png, &QPushButton::clicked, this, [this] { save_current_picture(QStringLiteral("png")); });
  connect(save_svg, &QPushButton::clicked, this, [this] { save_current_picture(QStringLiteral("svg")); });
  auto* lists = new QHBoxLayout;
  lists->addWidget(titled(QStringLiteral("Genes"), genes_), 1);
  lists->addWidget(titled(QStringLiteral("Samples"), samples_), 2);
  auto* saving = new QVBoxLayout;
  saving->addStretch();
  saving->addWidget(save_png);
  saving->addWidget(save_svg);
  lists->addLayout(saving);

  auto* right = new QWidget;
  auto* right_layout = new QVBoxLayout(right);
  right_layout->setContentsMargins(0, 0, 0, 0);
  right_layout->addWidget(tabs_, 1);
  right_layout->addLayout(lists);

  auto* splitter = new QSplitter;
  splitter->addWidget(left);
  splitter->addWidget(right);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({300, 900});
  setCentralWidget(splitter);
  build_menus();
  resize(1280, 820);
  statusBar()->showMessage(QStringLiteral("No run open"));
}

// The run is freed before the base class closes the window, which still asks the list for rows.
ViewerWindow::~ViewerWindow() { list_->set_run(nullptr); }

void ViewerWindow::build_menus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  file->addAction(QStringLiteral("&Open run..."), QKeySequence::Open, this, [this] {
    choose_run(run_ ? run_->files : RunFiles{}, {});
  });
  file->addAction(QStringLiteral("Save picture as &PNG..."), this, [this] { save_current_picture(QStringLiteral("png")); });
  file->addAction(QStringLiteral("Save picture as &SVG..."), this, [this] { save_current_picture(QStringLiteral("svg")); });
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
  list_->set_run(nullptr);
  run_ = std::move(run);
  list_->set_run(run_.get());
  setWindowTitle(QStringLiteral("kovaview - %1").arg(as_text(files.output)));

  membership_view_->set_painter([this](QPainter& painter, QSize size) { paint_membership(painter, size); });
  if (filter_->rowCount() > 0) table_->selectRow(0);
  QString status = QStringLiteral("%1 biclusters; matrix %2 genes x %3 samples; opened in %4 ms")
                       .arg(run_->biclusters.size())
                       .arg(files.genes)
                       .arg(files.samples)
                       .arg(timer.elapsed());
  if (!run_->report_note.empty()) status += QStringLiteral("; ") + QString::fromStdString(run_->report_note);
  for (const std::string& warning : run_->matrix_warnings) {
    status += QStringLiteral("; warning: ") + QString::fromStdString(warning);
  }
  statusBar()->showMessage(status);
  return {};
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
  if (!index) {
    genes_->clear();
    samples_->clear();
    heatmap_view_->set_painter({});
    profile_view_->set_painter({});
    membership_view_->update();
    return;
  }
  const ResultBicluster& b = run_->biclusters[*index];
  genes_->setPlainText(gene_list(b));
  samples_->setPlainText(sample_list(b));
  heatmap_ = bicluster_heatmap(*run_, *index);
  heatmap_view_->set_painter([this](QPainter& painter, QSize size) {
    const HeatmapGeometry geometry = fitted_heatmap_geometry(heatmap_->model, heatmap_->text, painter.fontMetrics(), size);
    draw_heatmap(painter, geometry, heatmap_->model, heatmap_->text);
  });
  const QString title = QStringLiteral("Bicluster %1: profiles of %2 genes, selected samples shaded")
                            .arg(b.number)
                            .arg(b.genes.size());
  profile_view_->set_painter([this, index, title](QPainter& painter, QSize size) {
    draw_profiles(painter, QRect(QPoint(0, 0), size), run_->table, run_->gene_rows[*index],
                  selected_samples(*run_, *index), title);
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
  if (!shown_ || !heatmap_) return {};
  if (pane == profile_view_) {
    const std::size_t index = *shown_;
    return {[this, index](QPainter& painter, QSize size) {
              draw_profiles(painter, QRect(QPoint(0, 0), size), run_->table, run_->gene_rows[index],
                            selected_samples(*run_, index),
                            QStringLiteral("Bicluster %1: profiles, selected samples shaded")
                                .arg(run_->biclusters[index].number));
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
    QMessageBox::information(this, QStringLiteral("kovaview"), QStringLiteral("Open a run and select a bicluster first."));
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
