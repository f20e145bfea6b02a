#include "frontend/qt/file_dialog.hpp"

#include <QAbstractItemView>
#include <QCompleter>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kova {

FileDialog::FileDialog() { dialog_.setNameFilter(QString::fromUtf8(kFileFilterName.data(), kFileFilterName.size())); }

std::optional<std::string> FileDialog::choose_open(std::string_view title, std::string_view proposed) {
  return choose(title, proposed, QFileDialog::AcceptOpen);
}

std::optional<std::string> FileDialog::choose_save(std::string_view title, std::string_view proposed) {
  return choose(title, proposed, QFileDialog::AcceptSave);
}

void FileDialog::preset_choice(const QString& path) { preset_ = path; }

void FileDialog::preset_cancel() { preset_ = std::optional<QString>(); }

std::optional<std::string> FileDialog::choose(std::string_view title, std::string_view proposed,
                                              QFileDialog::AcceptMode mode) {
  dialog_.setWindowTitle(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
  dialog_.setAcceptMode(mode);
  dialog_.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  // Only what the workflow proposes is filled in: never the name of the other use (the Save dialog
  // must not offer the input matrix, which Enter would then take).
  const QString proposal = QFile::decodeName(QByteArray(proposed.data(), static_cast<qsizetype>(proposed.size())));
  if (!proposal.isEmpty()) dialog_.setDirectory(QFileInfo(proposal).absolutePath());
  dialog_.selectFile(proposal.isEmpty() ? QString() : QFileInfo(proposal).fileName());
  std::optional<QString> answer;
  if (preset_) {
    answer = *preset_;
    preset_.reset();
  } else {
    const int result = dialog_.exec();
    close_name_completion();
    if (result == QDialog::Accepted && !dialog_.selectedFiles().isEmpty()) {
      answer = QDir::toNativeSeparators(dialog_.selectedFiles().first());
    }
  }
  if (!answer) return std::nullopt;
  // The engine must open exactly the file that was chosen: the platform's file name bytes.
  return QFile::encodeName(*answer).toStdString();
}

// Enter typed while the name completion lists matches reaches the name box through the list,
// which hides itself only once the box has lost the focus. The dialog closes first, and the box
// loses the focus only when the window system reports the next window active, so the list stays
// open as the application's popup: the next click anywhere would only close it. Close it here.
void FileDialog::close_name_completion() {
  for (QCompleter* completer : dialog_.findChildren<QCompleter*>()) {
    if (completer->popup() && completer->popup()->isVisible()) completer->popup()->hide();
  }
}

}  // namespace kova
