#include "viewer/qt/genes_view.hpp"

#include <QHeaderView>
#include <QLabel>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

#include "viewer/qt/chart_drawing.hpp"

namespace kova::viewer {
namespace {

// The seed gene of a large run can head hundreds of biclusters; a line names the first of them.
constexpr std::size_t kMostNumbersNamed = 30;

QString numbers_of(const LoadedRun& run, const std::vector<std::size_t>& positions) {
  QStringList numbers;
  for (std::size_t i = 0; i < positions.size() && i < kMostNumbersNamed; ++i) {
    numbers.push_back(QString::number(run.biclusters[positions[i]].number));
  }
  if (positions.size() > kMostNumbersNamed) {
    numbers.push_back(QStringLiteral("and %1 more").arg(positions.size() - kMostNumbersNamed));
  }
  return numbers.join(QStringLiteral(", "));
}

}  // namespace

void GeneCountModel::set_run(const LoadedRun* run, const GeneMembership* membership) {
  beginResetModel();
  run_ = run;
  membership_ = membership;
  marked_.clear();
  endResetModel();
}

void GeneCountModel::set_symbols(const GeneSymbols* symbols) {
  beginResetModel();
  symbols_ = symbols;
  endResetModel();
}

void GeneCountModel::mark_bicluster(std::optional<std::size_t> index) {
  marked_.clear();
  if (run_ != nullptr && index) marked_.insert(run_->gene_rows[*index].begin(), run_->gene_rows[*index].end());
  if (rowCount() > 0) emit dataChanged(this->index(0, 0), this->index(rowCount() - 1, ColumnCount - 1));
}

int GeneCountModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || membership_ == nullptr ? 0 : static_cast<int>(membership_->genes.size());
}

int GeneCountModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant GeneCountModel::data(const QModelIndex& index, int role) const {
  if (membership_ == nullptr || !index.isValid()) return {};
  const auto entry = static_cast<std::size_t>(index.row());
  const std::int32_t row = membership_->genes[entry];
  const std::vector<std::size_t>& holders = membership_->biclusters[entry];
  if (role == Qt::BackgroundRole) {
    return marked_.contains(row) ? QVariant(kMarkerColour.lighter(150)) : QVariant();
  }
  if (role != Qt::DisplayRole && role != kSortRole) return {};
  switch (index.column()) {
    case Gene:
      return role == kSortRole ? QVariant(row)
                               : QVariant(QString::fromStdString(name_with_symbol(run_->table[row].name, symbols_, row)));
    case Count:
      return static_cast<qlonglong>(holders.size());
    case Biclusters:
      return role == kSortRole ? QVariant(static_cast<qlonglong>(run_->biclusters[holders.front()].number))
                               : QVariant(numbers_of(*run_, holders));
    default:
      return {};
  }
}

QVariant GeneCountModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case Gene:
      return QStringLiteral("Gene");
    case Count:
      return QStringLiteral("Biclusters");
    case Biclusters:
      return QStringLiteral("In biclusters");
    default:
      return {};
  }
}

GenesView::GenesView(QWidget* parent)
    : QWidget(parent), model_(new GeneCountModel(this)), shared_(new QLabel), table_(new QTableView) {
  auto* sorted = new QSortFilterProxyModel(this);
  sorted->setSourceModel(model_);
  sorted->setSortRole(GeneCountModel::kSortRole);
  table_->setObjectName(QStringLiteral("geneCountTable"));
  table_->setModel(sorted);
  table_->setSortingEnabled(true);
  table_->sortByColumn(GeneCountModel::Count, Qt::DescendingOrder);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setTabKeyNavigation(false);
  table_->verticalHeader()->hide();
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
  table_->horizontalHeader()->setStretchLastSection(true);
  shared_->setObjectName(QStringLiteral("sharedGenes"));
  shared_->setWordWrap(true);
  shared_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(shared_);
  layout->addWidget(table_, 1);
}

void GenesView::set_run(const LoadedRun* run) {
  model_->set_run(nullptr, nullptr);
  run_ = run;
  membership_ = {};
  filled_ = false;
  shown_.reset();
  shared_->clear();
  if (isVisible()) fill();
}

void GenesView::set_symbols(const GeneSymbols* symbols) {
  if (symbols == symbols_ && symbols == nullptr) return;
  symbols_ = symbols;
  model_->set_symbols(symbols);
  show_bicluster(shown_);
}

void GenesView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  fill();
}

void GenesView::fill() {
  if (filled_ || run_ == nullptr) return;
  membership_ = gene_membership(*run_);
  model_->set_run(run_, &membership_);
  table_->resizeColumnToContents(GeneCountModel::Gene);
  filled_ = true;
  show_bicluster(shown_);
}

void GenesView::show_bicluster(std::optional<std::size_t> index) {
  shown_ = index;
  if (!filled_) return;
  model_->mark_bicluster(index);
  if (run_ == nullptr || !index) {
    shared_->clear();
    return;
  }
  const std::int32_t number = run_->biclusters[*index].number;
  const std::vector<SharedGene> shared = shared_genes(*run_, membership_, *index);
  if (shared.empty()) {
    shared_->setText(
        QStringLiteral("Bicluster %1 (highlighted) shares none of its genes with another bicluster.").arg(number));
    return;
  }
  QStringList parts;
  for (const SharedGene& gene : shared) {
    parts.push_back(QStringLiteral("%1 (also in %2)")
                        .arg(QString::fromStdString(name_with_symbol(run_->table[gene.row].name, symbols_, gene.row)),
                             numbers_of(*run_, gene.others)));
  }
  shared_->setText(QStringLiteral("Bicluster %1 (highlighted) shares %2 of its genes: %3")
                       .arg(number)
                       .arg(shared.size())
                       .arg(parts.join(QStringLiteral("; "))));
}

}  // namespace kova::viewer
