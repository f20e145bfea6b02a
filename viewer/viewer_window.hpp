#pragma once
// The viewer's window: the list of biclusters, the selected one's genes and samples, and its
// heatmap, profiles and the membership per sample.

#include <QMainWindow>

#include <memory>
#include <optional>

#include "viewer/bicluster_pictures.hpp"
#include "viewer/run_data.hpp"

class QLineEdit;
class QPlainTextEdit;
class QTabWidget;
class QTableView;

namespace kova::viewer {

class BiclusterListModel;
class ChartView;
class GeneNameFilter;

class ViewerWindow final : public QMainWindow {
 public:
  explicit ViewerWindow(QWidget* parent = nullptr);
  ~ViewerWindow() override;

  // Loads the run and shows its first bicluster. Returns the error message, naming the file and
  // line, when it cannot be opened; the run shown before stays.
  QString open_run(const RunFiles& files);
  // Asks for the files (filled in with `suggested`) and opens them; errors in a message box.
  void choose_run(const RunFiles& suggested, const QString& note);
  // The bicluster shown, 0-based in file order; empty when none.
  std::optional<std::size_t> shown_bicluster() const { return shown_; }

 private:
  void build_menus();
  void show_bicluster(std::optional<std::size_t> index);
  void on_current_row(const QModelIndex& current);
  void save_current_picture(const QString& format);
  void paint_membership(QPainter& painter, QSize size) const;
  // The picture of the pane on top, and the size it is saved at.
  std::pair<PaintFunction, QSize> current_picture() const;

  std::unique_ptr<LoadedRun> run_;
  std::optional<std::size_t> shown_;
  std::optional<BiclusterHeatmap> heatmap_;

  BiclusterListModel* list_;
  GeneNameFilter* filter_;
  QTableView* table_;
  QLineEdit* gene_filter_;
  QPlainTextEdit* genes_;
  QPlainTextEdit* samples_;
  QTabWidget* tabs_;
  ChartView* heatmap_view_;
  ChartView* profile_view_;
  ChartView* membership_view_;
};

}  // namespace kova::viewer
