#pragma once
// The list of biclusters of a run (number, genes, samples, size), and its filter by gene name.

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>

#include "viewer/run_data.hpp"

namespace kova::viewer {

class BiclusterListModel final : public QAbstractTableModel {
 public:
  enum Column { Number, Genes, Samples, Size, ColumnCount };

  explicit BiclusterListModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}
  void set_run(const LoadedRun* run);  // nullptr: empty

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  const LoadedRun* run() const { return run_; }

 private:
  const LoadedRun* run_ = nullptr;
};

// Keeps the biclusters with a gene whose name contains the filter text (case-insensitive).
class GeneNameFilter final : public QSortFilterProxyModel {
 public:
  explicit GeneNameFilter(QObject* parent = nullptr) : QSortFilterProxyModel(parent) {}
  void set_gene_text(const QString& text);

 protected:
  bool filterAcceptsRow(int source_row, const QModelIndex& source_parent) const override;

 private:
  std::string text_;  // lower case
};

}  // namespace kova::viewer
