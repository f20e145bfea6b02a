#include "frontend/win32/file_dialog.hpp"

#include <commdlg.h>

#include <cstdio>

#include "frontend/core/workflow.hpp"

namespace kova::win32 {

std::optional<std::string> CommonFileDialog::choose_open(std::string_view title) { return choose(title, true); }

std::optional<std::string> CommonFileDialog::choose_save(std::string_view title) { return choose(title, false); }

std::optional<std::string> CommonFileDialog::choose(std::string_view title, bool open) {
  // The one filter: its name, its pattern, each ended by a NUL, and a NUL after the last.
  std::string filter(kFileFilterName);
  filter.append(1, '\0').append(kFileFilterPattern).append(2, '\0');
  const std::string title_text(title);

  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner_;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file_name_.data();
  dialog.nMaxFile = static_cast<DWORD>(file_name_.size());
  dialog.lpstrTitle = title_text.c_str();
  // The folder KOVA was started in stays the current one: the engine writes its report there.
  // No question before an existing output file is replaced, and no extension added.
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
  if (open) dialog.Flags |= OFN_FILEMUSTEXIST;

  const BOOL chosen = open ? GetOpenFileNameA(&dialog) : GetSaveFileNameA(&dialog);
  if (!chosen) {
    const DWORD error = CommDlgExtendedError();
    if (error == 0) return std::nullopt;  // cancelled
    char code[16];
    std::snprintf(code, sizeof code, "0x%04lx", static_cast<unsigned long>(error));
    throw WorkflowError(std::string("The file dialog \"") + title_text + "\" could not be shown (error " + code + ").");
  }
  return std::string(file_name_.c_str());
}

}  // namespace kova::win32
