#pragma once
// The viewer's window: the list of biclusters, the selected one's genes and samples, and its
// heatmap, profiles and the membership per sample.

#include <QMainWindow>

#include <atomic>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "viewer/core/bicluster_measures.hpp"
#include "viewer/core/class_levels.hpp"
#include "viewer/core/gene_symbols.hpp"
#include "viewer/core/run_data.hpp"
#include "viewer/core/run_meaning.hpp"
#include "viewer/qt/bicluster_pictures.hpp"

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;
class QTabWidget;
class QTableView;

namespace kova::viewer {

class BiclusterListModel;
class ChartView;
class GenesView;
class BiclusterFilter;

class ViewerWindow final : public QMainWindow {
 public:
  explicit ViewerWindow(QWidget* parent = nullptr);
  ~ViewerWindow() override;

  // Loads the run and shows its first bicluster. Returns the error message, naming the file and
  // line, when it cannot be opened; the run shown before stays.
  QString open_run(const RunFiles& files);
  // Reads sample names and classes for the open run; returns the error message (naming the file
  // and line) or empty. The annotation shown before stays when it fails.
  QString open_annotation(const std::filesystem::path& path);
  // Reads symbols for the open run's gene names (and for runs opened later); returns the error
  // message, naming the file and line, or saying that none of the matrix's names is in it.
  QString open_gene_names(const std::filesystem::path& path);
  // Reads gene sets (GMT) and tests every bicluster of the open run (and of runs opened later)
  // against them; returns the error message, naming the file and line, or empty.
  QString open_gene_sets(const std::filesystem::path& path);
  // Puts the shown bicluster's genes on the clipboard, one a line, symbols where known.
  void copy_genes_for_tools();
  // Class levels shown as one (parse_level_merges' form, such as "B1,B2,B3,B4=B"), for the
  // annotation open now and any opened later; returns why the text cannot be read, or empty.
  QString set_level_merges(const QString& text);
  // Asks for the files (filled in with `suggested`) and opens them; errors in a message box.
  void choose_run(const RunFiles& suggested, const QString& note);
  // The bicluster shown, 0-based in file order; empty when none.
  std::optional<std::size_t> shown_bicluster() const { return shown_; }
  // Whether the plain r of every bicluster has been computed; they are computed on one worker
  // thread after the run opens, so the window never waits for them.
  bool measures_ready() const { return measures_ready_; }

 private:
  void build_menus();
  void show_bicluster(std::optional<std::size_t> index);
  void on_current_row(const QModelIndex& current);
  void start_measuring();
  void stop_measuring();
  void take_measures(const std::shared_ptr<const LoadedRun>& run,
                     const std::shared_ptr<std::vector<PlainCorrelation>>& measures);
  void show_measures();
  void save_current_picture(const QString& format);
  void choose_annotation();
  void export_table();
  void export_members(bool all);
  void export_gmt(bool listed);
  void choose_gene_names();
  void choose_gene_sets();
  // Recomputes the sample classes of every bicluster for the annotation open now.
  void find_classes();
  // The enrichment for the gene sets open now; says in the returned note when it cannot.
  QString find_enrichment();
  // The list's meaning columns, its filter and the detail pane, after any of them changed.
  void show_meaning();
  // Maps the gene names file onto the run now open; says in the returned note when it cannot.
  QString check_gene_names();
  const GeneSymbols* symbols() const { return symbols_ ? &*symbols_ : nullptr; }
  // The biclusters as the list shows them: filtered and sorted, 0-based positions in the run.
  std::vector<std::size_t> listed_order() const;
  QString ask_export_path(const QString& title, const QString& suggested);
  HeatmapOptions heatmap_options() const;
  const SampleAnnotation* annotation() const { return annotation_ ? &*annotation_ : nullptr; }
  // Reads the annotation at `path` for the open run, with the levels merged.
  SampleAnnotation read_annotation(const std::filesystem::path& path) const;
  // Drops the annotation when it does not fit the run now open; says so in the returned note.
  QString check_annotation();
  void paint_membership(QPainter& painter, QSize size) const;
  // The picture of the pane on top, and the size it is saved at.
  std::pair<PaintFunction, QSize> current_picture() const;

  std::shared_ptr<const LoadedRun> run_;  // shared with the worker that measures it
  std::vector<PlainCorrelation> measures_;
  bool measures_ready_ = false;
  std::shared_ptr<std::atomic<bool>> stop_measures_;
  std::thread measuring_;
  std::optional<std::size_t> shown_;
  std::optional<BiclusterHeatmap> heatmap_;
  std::optional<SampleAnnotation> annotation_;  // levels merged as `merges_` says
  std::vector<LevelMerge> merges_;
  std::filesystem::path gene_names_file_;
  std::optional<GeneNames> gene_names_;
  std::optional<GeneSymbols> symbols_;  // gene_names_ for the run open now
  std::filesystem::path gene_sets_file_;
  std::optional<std::vector<GeneSet>> gene_sets_;
  RunMeaning meaning_;  // of the run open now
  QString run_status_;  // what the status bar said when the run opened

  BiclusterListModel* list_;
  BiclusterFilter* filter_;
  QTableView* table_;
  QLineEdit* gene_filter_;
  QDoubleSpinBox* least_r_;
  QSpinBox* least_genes_;
  QSpinBox* least_samples_;
  QLineEdit* merge_levels_;
  QDoubleSpinBox* most_p_;
  QDoubleSpinBox* most_set_q_;
  QDoubleSpinBox* most_class_q_;
  QPlainTextEdit* meaning_text_;
  QLabel* measure_label_;
  QCheckBox* cluster_;
  QPlainTextEdit* genes_;
  QPlainTextEdit* samples_;
  QTabWidget* tabs_;
  ChartView* heatmap_view_;
  ChartView* profile_view_;
  ChartView* membership_view_;
  GenesView* genes_view_;
};

}  // namespace kova::viewer
