#include "frontend/win32/file_dialog.hpp"

#include <commdlg.h>

#include <cstdio>

#include "frontend/core/workflow.hpp"

namespace kova::win32 {

std::optional<std::string> CommonFileDialog::choose_open(std::string_view title, std::string_view proposed) {
  return choose(title, proposed, true);
}

std::optional<std::string> CommonFileDialog::choose_save(std::string_view title, std::string_view proposed) {
  return choose(title, proposed, false);
}

std::optional<std::string> CommonFileDialog::choose(std::string_view title, std::string_view proposed, bool open) {
  // The one filter: its name, its pattern, each ended by a NUL, and a NUL after the last.
  std::string filter(kFileFilterName);
  filter.append(1, '\0').append(kFileFilterPattern).append(2, '\0');
  const std::string title_text(title);
  // Only the proposal is filled in: its name in the name box, its folder as the one shown.
  const std::size_t last_separator = proposed.find_last_of("\\/");
  const std::string folder(last_separator == std::string_view::npos ? std::string_view()
                                                                    : proposed.substr(0, last_separator));
  std::string file_name(last_separator == std::string_view::npos ? proposed : proposed.substr(last_separator + 1));
  file_name.resize(32768, '\0');  // room for the longest path Windows has

  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner_;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file_name.data();
  dialog.nMaxFile = static_cast<DWORD>(file_name.size());
  dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  dialog.lpstrTitle = title_text.c_str();
  // The folder KOVA was started in stays the current one: the engine writes its report there.
  // No extension is added to what the user typed.
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
  // The engine empties its output file at start: an existing one is replaced only when the user
  // says so.
  dialog.Flags |= open ? OFN_FILEMUSTEXIST : OFN_OVERWRITEPROMPT;

  const BOOL chosen = open ? GetOpenFileNameA(&dialog) : GetSaveFileNameA(&dialog);
  if (!chosen) {
    const DWORD error = CommDlgExtendedError();
    if (error == 0) return std::nullopt;  // cancelled
    char code[16];
    std::snprintf(code, sizeof code, "0x%04lx", static_cast<unsigned long>(error));
    throw WorkflowError(std::string("The file dialog \"") + title_text + "\" could not be shown (error " + code + ").");
  }
  return std::string(file_name.c_str());
}

}  // namespace kova::win32
