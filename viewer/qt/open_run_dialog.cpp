#include "viewer/qt/open_run_dialog.hpp"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <limits>

namespace kova::viewer {
namespace {

QString as_text(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

// Below 0 reads "from the matrix": counted there, one gene per line.
QSpinBox* count_box(std::int32_t value) {
  auto* box = new QSpinBox;
  box->setRange(kCountFromMatrix, std::numeric_limits<std::int32_t>::max());
  box->setSpecialValueText(QStringLiteral("from the matrix"));
  box->setValue(value);
  return box;
}

}  // namespace

OpenRunDialog::OpenRunDialog(const RunFiles& suggested, const QString& note, QWidget* parent)
    : QDialog(parent),
      output_(new QLineEdit(as_text(suggested.output))),
      matrix_(new QLineEdit(as_text(suggested.matrix))),
      report_(new QLineEdit(as_text(suggested.report))),
      genes_(count_box(suggested.genes)),
      samples_(count_box(suggested.samples)) {
  setWindowTitle(QStringLiteral("Open a run"));
  output_->setObjectName(QStringLiteral("outputPath"));
  matrix_->setObjectName(QStringLiteral("matrixPath"));
  report_->setObjectName(QStringLiteral("reportPath"));
  genes_->setObjectName(QStringLiteral("geneCount"));
  samples_->setObjectName(QStringLiteral("sampleCount"));
  report_->setPlaceholderText(QStringLiteral("optional: membership is then counted from the output file"));

  auto* form = new QFormLayout;
  const auto with_browse = [this](QLineEdit* field, const QString& caption) {
    auto* row = new QHBoxLayout;
    auto* button = new QPushButton(QStringLiteral("Browse..."));
    connect(button, &QPushButton::clicked, this, [this, field, caption] { browse(field, caption); });
    row->addWidget(field, 1);
    row->addWidget(button);
    return row;
  };
  form->addRow(QStringLiteral("Output file:"), with_browse(output_, QStringLiteral("Output file of the run")));
  form->addRow(QStringLiteral("Matrix:"), with_browse(matrix_, QStringLiteral("Matrix the run read")));
  form->addRow(QStringLiteral("Genes:"), genes_);
  form->addRow(QStringLiteral("Samples:"), samples_);
  form->addRow(QStringLiteral("Report:"), with_browse(report_, QStringLiteral("bicluster_report.txt of the run")));

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Open | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  if (!note.isEmpty()) {
    auto* label = new QLabel(note);
    label->setWordWrap(true);
    layout->addWidget(label);
  }
  layout->addLayout(form);
  layout->addWidget(buttons);
  resize(640, sizeHint().height());
}

RunFiles OpenRunDialog::files() const {
  RunFiles files;
  files.output = output_->text().trimmed().toStdString();
  files.matrix = matrix_->text().trimmed().toStdString();
  files.report = report_->text().trimmed().toStdString();
  files.genes = genes_->value();
  files.samples = samples_->value();
  return files;
}

void OpenRunDialog::browse(QLineEdit* field, const QString& caption) {
  const QString chosen = QFileDialog::getOpenFileName(this, caption, field->text());
  if (!chosen.isEmpty()) field->setText(chosen);
}

}  // namespace kova::viewer
