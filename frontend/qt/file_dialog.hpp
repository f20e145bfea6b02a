#pragma once
// The Open and Save dialog of the main window: one Qt file dialog whose state (folder) serves both
// uses. Tests pre-set the next answer instead of showing it.

#include <QFileDialog>
#include <QString>
#include <optional>

#include "frontend/core/file_chooser.hpp"

namespace kova {

class FileDialog : public FileChooser {
 public:
  FileDialog();

  // The full path chosen (native separators, as file name bytes), or nothing when the user
  // cancelled. The Save dialog asks before an existing file is replaced.
  std::optional<std::string> choose_open(std::string_view title, std::string_view proposed) override;
  std::optional<std::string> choose_save(std::string_view title, std::string_view proposed) override;

  // The next use is set up as usual but answers with `path` (or a cancel) without being shown.
  void preset_choice(const QString& path);
  void preset_cancel();

  // The dialog as the last use set it up.
  const QFileDialog& qt_dialog() const { return dialog_; }

 private:
  std::optional<std::string> choose(std::string_view title, std::string_view proposed, QFileDialog::AcceptMode mode);
  void close_name_completion();

  QFileDialog dialog_;
  std::optional<std::optional<QString>> preset_;
};

}  // namespace kova
