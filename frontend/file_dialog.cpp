#include "frontend/file_dialog.hpp"

#include <QDir>

namespace kova {

FileDialog::FileDialog() {
  dialog_.setNameFilter("Text (*.txt)");
  // The program never asks before an existing output file is overwritten.
  dialog_.setOption(QFileDialog::DontConfirmOverwrite);
}

std::optional<QString> FileDialog::choose_open(const QString& title) { return choose(title, QFileDialog::AcceptOpen); }

std::optional<QString> FileDialog::choose_save(const QString& title) { return choose(title, QFileDialog::AcceptSave); }

void FileDialog::preset_choice(const QString& path) { preset_ = path; }

void FileDialog::preset_cancel() { preset_ = std::optional<QString>(); }

std::optional<QString> FileDialog::choose(const QString& title, QFileDialog::AcceptMode mode) {
  dialog_.setWindowTitle(title);
  dialog_.setAcceptMode(mode);
  dialog_.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  if (preset_) {
    const std::optional<QString> answer = *preset_;
    preset_.reset();
    return answer;
  }
  if (dialog_.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList files = dialog_.selectedFiles();
  if (files.isEmpty()) return std::nullopt;
  return QDir::toNativeSeparators(files.first());
}

}  // namespace kova
