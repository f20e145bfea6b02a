#pragma once
// Choosing the files of a finished run: output file, matrix, genes, samples, and the report.

#include <QDialog>

#include "viewer/core/run_data.hpp"

class QLineEdit;
class QSpinBox;

namespace kova::viewer {

class OpenRunDialog final : public QDialog {
 public:
  // `suggested`: the fields are filled in with it; `note` is shown above them when not empty.
  OpenRunDialog(const RunFiles& suggested, const QString& note, QWidget* parent = nullptr);
  RunFiles files() const;

 private:
  void browse(QLineEdit* field, const QString& caption);

  QLineEdit* output_;
  QLineEdit* matrix_;
  QLineEdit* report_;
  QSpinBox* genes_;
  QSpinBox* samples_;
};

}  // namespace kova::viewer
