#include "frontend/qt/file_dialog.hpp"

#include <QDir>
#include <QFile>

namespace kova {

FileDialog::FileDialog() {
  dialog_.setNameFilter(QString::fromUtf8(kFileFilterName.data(), kFileFilterName.size()));
  // The program never asks before an existing output file is overwritten.
  dialog_.setOption(QFileDialog::DontConfirmOverwrite);
}

std::optional<std::string> FileDialog::choose_open(std::string_view title) {
  return choose(title, QFileDialog::AcceptOpen);
}

std::optional<std::string> FileDialog::choose_save(std::string_view title) {
  return choose(title, QFileDialog::AcceptSave);
}

void FileDialog::preset_choice(const QString& path) { preset_ = path; }

void FileDialog::preset_cancel() { preset_ = std::optional<QString>(); }

std::optional<std::string> FileDialog::choose(std::string_view title, QFileDialog::AcceptMode mode) {
  dialog_.setWindowTitle(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
  dialog_.setAcceptMode(mode);
  dialog_.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  std::optional<QString> answer;
  if (preset_) {
    answer = *preset_;
    preset_.reset();
  } else if (dialog_.exec() == QDialog::Accepted && !dialog_.selectedFiles().isEmpty()) {
    answer = QDir::toNativeSeparators(dialog_.selectedFiles().first());
  }
  if (!answer) return std::nullopt;
  // The engine must open exactly the file that was chosen: the platform's file name bytes.
  return QFile::encodeName(*answer).toStdString();
}

}  // namespace kova
