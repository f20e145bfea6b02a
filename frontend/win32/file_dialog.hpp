#pragma once
// The Open and Save dialog of comdlg32, opened in the folder of the path the workflow proposes
// with its file name filled in.

#include <windows.h>

#include <string>

#include "frontend/core/file_chooser.hpp"

namespace kova::win32 {

class CommonFileDialog : public FileChooser {
 public:
  explicit CommonFileDialog(HWND owner) : owner_(owner) {}

  std::optional<std::string> choose_open(std::string_view title, std::string_view proposed) override;
  std::optional<std::string> choose_save(std::string_view title, std::string_view proposed) override;

 private:
  std::optional<std::string> choose(std::string_view title, std::string_view proposed, bool open);

  HWND owner_;
};

}  // namespace kova::win32
