#include "viewer/bicluster_list_model.hpp"

#include <algorithm>
#include <cctype>

namespace kova::viewer {
namespace {

std::string lower(std::string_view text) {
  std::string result(text);
  std::transform(result.begin(), result.end(), result.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return result;
}

}  // namespace

void BiclusterListModel::set_run(const LoadedRun* run) {
  beginResetModel();
  run_ = run;
  endResetModel();
}

int BiclusterListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || run_ == nullptr ? 0 : static_cast<int>(run_->biclusters.size());
}

int BiclusterListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant BiclusterListModel::data(const QModelIndex& index, int role) const {
  if (run_ == nullptr || !index.isValid()) return {};
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
  if (role != Qt::DisplayRole) return {};
  const ResultBicluster& b = run_->biclusters[static_cast<std::size_t>(index.row())];
  const auto genes = static_cast<qlonglong>(b.genes.size());
  const auto samples = static_cast<qlonglong>(b.samples.size());
  switch (index.column()) {
    case Number: return b.number;
    case Genes: return genes;
    case Samples: return samples;
    case Size: return genes * samples;
    default: return {};
  }
}

QVariant BiclusterListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case Number: return QStringLiteral("Bicluster");
    case Genes: return QStringLiteral("Genes");
    case Samples: return QStringLiteral("Samples");
    case Size: return QStringLiteral("Size");
    default: return {};
  }
}

void GeneNameFilter::set_gene_text(const QString& text) {
  text_ = lower(text.trimmed().toStdString());
  invalidateRowsFilter();
}

bool GeneNameFilter::filterAcceptsRow(int source_row, const QModelIndex&) const {
  if (text_.empty()) return true;
  const auto* list = static_cast<const BiclusterListModel*>(sourceModel());
  if (list == nullptr || list->run() == nullptr) return false;
  for (const std::string& name : list->run()->biclusters[static_cast<std::size_t>(source_row)].genes) {
    if (lower(name).find(text_) != std::string::npos) return true;
  }
  return false;
}

}  // namespace kova::viewer
