#pragma once
// The list of biclusters of a run (number, genes, samples, size, plain r), and its filter.

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>

#include <optional>
#include <vector>

#include "viewer/core/bicluster_measures.hpp"
#include "viewer/core/gene_symbols.hpp"
#include "viewer/core/list_filter.hpp"
#include "viewer/core/run_data.hpp"
#include "viewer/core/run_meaning.hpp"

namespace kova::viewer {

class BiclusterListModel final : public QAbstractTableModel {
 public:
  enum Column { Number, Genes, Samples, Size, SmallestR, MedianR, LargestR, PValue, BestSet, BestClass, ColumnCount };
  // Numbers to sort by; an undefined or not yet computed r sorts below every r, an unknown p or q
  // above every one.
  static constexpr int kSortRole = Qt::UserRole;

  explicit BiclusterListModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}
  void set_run(const LoadedRun* run);  // nullptr: empty; the plain r columns show "..." until set
  void set_measures(const std::vector<PlainCorrelation>* measures);  // one per bicluster, or nullptr
  // What is known of the biclusters' meaning, and the annotation its classes come from; both
  // outlive the model's use of them. nullptr: nothing.
  void set_meaning(const RunMeaning* meaning, const SampleAnnotation* annotation);
  MeaningSummary summary_of(int row) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  const LoadedRun* run() const { return run_; }
  const PlainCorrelation* measures_of(int row) const;  // nullptr until computed

 private:
  const LoadedRun* run_ = nullptr;
  const std::vector<PlainCorrelation>* measures_ = nullptr;
  const RunMeaning* meaning_ = nullptr;
  const SampleAnnotation* annotation_ = nullptr;
  bool showing_meaning_ = false;
};

// How an r reads in the list, the detail pane and the exports.
QString r_text(double r, int decimals);

// Keeps the biclusters that pass the ListFilter (list_filter.hpp); until the plain r are computed
// the r part lets every bicluster through.
class BiclusterFilter final : public QSortFilterProxyModel {
 public:
  explicit BiclusterFilter(QObject* parent = nullptr) : QSortFilterProxyModel(parent) {}
  void set_gene_text(const QString& text);
  void set_least_plain_r(std::optional<double> least);
  void set_least_genes(std::int32_t least);
  void set_least_samples(std::int32_t least);
  void set_symbols(const GeneSymbols* symbols);  // the gene text matches them too; nullptr: none
  void set_most_p(std::optional<double> most);
  void set_most_set_q(std::optional<double> most);
  void set_most_class_q(std::optional<double> most);
  void meaning_changed() { invalidateRowsFilter(); }
  const ListFilter& criteria() const { return filter_; }
  void measures_arrived() {
    if (filter_.least_plain_r) invalidateRowsFilter();  // a new filtering of every row only when it can change
  }

 protected:
  bool filterAcceptsRow(int source_row, const QModelIndex& source_parent) const override;

 private:
  ListFilter filter_;
  const GeneSymbols* symbols_ = nullptr;
};

}  // namespace kova::viewer
