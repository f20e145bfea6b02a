#include "viewer/qt/bicluster_list_model.hpp"

#include <algorithm>
#include <cmath>

#include "viewer/core/picture_caption.hpp"

namespace kova::viewer {
namespace {

constexpr double kSortsBelowEveryR = -2.0;
constexpr double kSortsAboveEveryP = 2.0;

double r_of(const PlainCorrelation& m, int column) {
  switch (column) {
    case BiclusterListModel::SmallestR: return m.smallest;
    case BiclusterListModel::MedianR: return m.median;
    default: return m.largest;
  }
}

}  // namespace

QString r_text(double r, int decimals) {
  return std::isnan(r) ? QStringLiteral("undefined") : QString::number(r, 'f', decimals);
}

void BiclusterListModel::set_run(const LoadedRun* run) {
  beginResetModel();
  run_ = run;
  measures_ = nullptr;
  endResetModel();
}

void BiclusterListModel::set_meaning(const RunMeaning* meaning, const SampleAnnotation* annotation) {
  // Columns that stay empty need no repainting: a run opens without walking its rows once more.
  const bool any = meaning != nullptr && (!meaning->significance_file.empty() || !meaning->sets_file.empty() ||
                                          !meaning->classes.empty());
  const bool changed = any || showing_meaning_;
  meaning_ = meaning;
  annotation_ = annotation;
  showing_meaning_ = any;
  if (changed && rowCount() > 0) emit dataChanged(index(0, PValue), index(rowCount() - 1, BestClass));
}

MeaningSummary BiclusterListModel::summary_of(int row) const {
  if (meaning_ == nullptr || row < 0) return {};
  return summarise(*meaning_, static_cast<std::size_t>(row));
}

void BiclusterListModel::set_measures(const std::vector<PlainCorrelation>* measures) {
  measures_ = measures;
  if (rowCount() > 0) emit dataChanged(index(0, SmallestR), index(rowCount() - 1, LargestR));
}

const PlainCorrelation* BiclusterListModel::measures_of(int row) const {
  if (measures_ == nullptr || row < 0 || static_cast<std::size_t>(row) >= measures_->size()) return nullptr;
  return &(*measures_)[static_cast<std::size_t>(row)];
}

int BiclusterListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || run_ == nullptr ? 0 : static_cast<int>(run_->biclusters.size());
}

int BiclusterListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant BiclusterListModel::data(const QModelIndex& index, int role) const {
  if (run_ == nullptr || !index.isValid()) return {};
  if (role == Qt::TextAlignmentRole) {
    return QVariant::fromValue((index.column() >= BestSet ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
  }
  if (role != Qt::DisplayRole && role != kSortRole) return {};
  const ResultBicluster& b = run_->biclusters[static_cast<std::size_t>(index.row())];
  const auto genes = static_cast<qlonglong>(b.genes.size());
  const auto samples = static_cast<qlonglong>(b.samples.size());
  switch (index.column()) {
    case Number: return b.number;
    case Genes: return genes;
    case Samples: return samples;
    case Size: return genes * samples;
    case SmallestR:
    case MedianR:
    case LargestR: {
      const PlainCorrelation* m = measures_of(index.row());
      if (m == nullptr) return role == kSortRole ? QVariant(kSortsBelowEveryR) : QVariant(QStringLiteral("..."));
      const double r = r_of(*m, index.column());
      if (role == kSortRole) return std::isnan(r) ? kSortsBelowEveryR : r;
      return r_text(r, 3);
    }
    case PValue: {
      const std::optional<double> p = summary_of(index.row()).p_value;
      if (role == kSortRole) return p.value_or(kSortsAboveEveryP);
      return p ? QString::fromStdString(p_value_text(*p)) : QString();
    }
    case BestSet: {
      const MeaningSummary summary = summary_of(index.row());
      if (role == kSortRole) return summary.best_set ? summary.best_set->q_value : kSortsAboveEveryP;
      return QString::fromStdString(best_set_text(*meaning_, summary));
    }
    case BestClass: {
      const MeaningSummary summary = summary_of(index.row());
      if (role == kSortRole) return summary.best_class ? summary.best_class->q_value : kSortsAboveEveryP;
      return annotation_ != nullptr ? QString::fromStdString(best_class_text(*annotation_, summary)) : QString();
    }
    default: return {};
  }
}

QVariant BiclusterListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal) return {};
  if (role == Qt::ToolTipRole && section >= SmallestR && section <= LargestR) {
    return QStringLiteral("Plain Pearson r over the bicluster's samples, among all pairs of its genes");
  }
  if (role == Qt::ToolTipRole && section == PValue) {
    return QStringLiteral("Share of null runs (co-expression destroyed) that yield a bicluster as large, from <output>.significance.tsv");
  }
  if (role == Qt::ToolTipRole && section == BestSet) {
    return QStringLiteral("The gene set of File > Open gene sets its genes are most enriched in, with its q");
  }
  if (role == Qt::ToolTipRole && section == BestClass) {
    return QStringLiteral("The sample class most over-represented among its samples, with its q");
  }
  if (role != Qt::DisplayRole) return {};
  switch (section) {
    case Number: return QStringLiteral("Bicluster");
    case Genes: return QStringLiteral("Genes");
    case Samples: return QStringLiteral("Samples");
    case Size: return QStringLiteral("Size");
    case SmallestR: return QStringLiteral("Min r");
    case MedianR: return QStringLiteral("Median r");
    case LargestR: return QStringLiteral("Max r");
    case PValue: return QStringLiteral("p");
    case BestSet: return QStringLiteral("Best gene set");
    case BestClass: return QStringLiteral("Best sample class");
    default: return {};
  }
}

void BiclusterFilter::set_gene_text(const QString& text) {
  filter_.set_gene_text(text.toStdString());
  invalidateRowsFilter();
}

void BiclusterFilter::set_least_plain_r(std::optional<double> least) {
  filter_.least_plain_r = least;
  invalidateRowsFilter();
}

void BiclusterFilter::set_least_genes(std::int32_t least) {
  filter_.least_genes = least;
  invalidateRowsFilter();
}

void BiclusterFilter::set_least_samples(std::int32_t least) {
  filter_.least_samples = least;
  invalidateRowsFilter();
}

void BiclusterFilter::set_most_p(std::optional<double> most) {
  filter_.most_p = most;
  invalidateRowsFilter();
}

void BiclusterFilter::set_most_set_q(std::optional<double> most) {
  filter_.most_set_q = most;
  invalidateRowsFilter();
}

void BiclusterFilter::set_most_class_q(std::optional<double> most) {
  filter_.most_class_q = most;
  invalidateRowsFilter();
}

void BiclusterFilter::set_symbols(const GeneSymbols* symbols) {
  if (symbols == symbols_ && symbols == nullptr) return;  // no names before or now: nothing to filter again
  symbols_ = symbols;
  invalidateRowsFilter();
}

bool BiclusterFilter::filterAcceptsRow(int source_row, const QModelIndex&) const {
  const auto* list = static_cast<const BiclusterListModel*>(sourceModel());
  if (list == nullptr || list->run() == nullptr) return false;
  const auto index = static_cast<std::size_t>(source_row);
  std::vector<std::string> symbols;
  if (symbols_ != nullptr && !filter_.gene_text.empty()) {
    for (std::int32_t row : list->run()->gene_rows[index]) symbols.push_back(symbols_->of(row));
  }
  const MeaningSummary summary = list->summary_of(source_row);
  return passes(filter_, list->run()->biclusters[index], list->measures_of(source_row),
                symbols_ != nullptr ? &symbols : nullptr, &summary);
}

}  // namespace kova::viewer
