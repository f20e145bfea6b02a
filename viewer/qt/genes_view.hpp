#pragma once
// The genes pane: every gene that is in a bicluster, how many biclusters hold it and which, and
// above it the genes the selected bicluster shares with others.

#include <QAbstractTableModel>
#include <QWidget>
#include <optional>
#include <unordered_set>

#include "viewer/core/gene_membership.hpp"
#include "viewer/core/gene_symbols.hpp"

class QLabel;
class QTableView;

namespace kova::viewer {

class GeneCountModel final : public QAbstractTableModel {
 public:
  enum Column { Gene, Count, Biclusters, ColumnCount };
  static constexpr int kSortRole = Qt::UserRole;

  explicit GeneCountModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}
  void set_run(const LoadedRun* run, const GeneMembership* membership);
  void set_symbols(const GeneSymbols* symbols);  // nullptr: none
  void mark_bicluster(std::optional<std::size_t> index);  // its genes are highlighted

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  const LoadedRun* run_ = nullptr;
  const GeneMembership* membership_ = nullptr;
  const GeneSymbols* symbols_ = nullptr;
  std::unordered_set<std::int32_t> marked_;
};

class GenesView final : public QWidget {
 public:
  explicit GenesView(QWidget* parent = nullptr);
  // The table is filled when the pane is first shown, so that opening a large run does not wait
  // for a pane nobody has looked at.
  void set_run(const LoadedRun* run);  // nullptr: empty
  void set_symbols(const GeneSymbols* symbols);  // shown beside the names; nullptr: none
  void show_bicluster(std::optional<std::size_t> index);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void fill();

  const LoadedRun* run_ = nullptr;
  bool filled_ = false;
  std::optional<std::size_t> shown_;
  const GeneSymbols* symbols_ = nullptr;
  GeneMembership membership_;
  GeneCountModel* model_;
  QLabel* shared_;
  QTableView* table_;
};

}  // namespace kova::viewer
