#pragma once
// The Open and Save dialog of comdlg32: one file name buffer for both uses, so that a dialog
// opens with the name last chosen.

#include <windows.h>

#include <string>

#include "frontend/core/file_chooser.hpp"

namespace kova::win32 {

class CommonFileDialog : public FileChooser {
 public:
  explicit CommonFileDialog(HWND owner) : owner_(owner) {}

  std::optional<std::string> choose_open(std::string_view title) override;
  std::optional<std::string> choose_save(std::string_view title) override;

 private:
  std::optional<std::string> choose(std::string_view title, bool open);

  HWND owner_;
  std::string file_name_ = std::string(32768, '\0');  // the longest path Windows has
};

}  // namespace kova::win32
