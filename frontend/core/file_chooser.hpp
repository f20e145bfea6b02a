#pragma once
// The Open and Save dialog of the main window, behind an interface that tests replace. The titles
// and the one filter are fixed here, for every shell.

#include <optional>
#include <string>
#include <string_view>

namespace kova {

inline constexpr std::string_view kInputDialogTitle = "Select Input File for Clustering";
inline constexpr std::string_view kOutputDialogTitle = "Enter Output File for Storing Clustered Output";
// The dialogs' one filter: its name as shown, and the files it lists.
inline constexpr std::string_view kFileFilterName = "Text (*.txt)";
inline constexpr std::string_view kFileFilterPattern = "*.txt";

class FileChooser {
 public:
  virtual ~FileChooser() = default;
  // The full path chosen, in the platform's file name bytes (UTF-8 on Linux, the ANSI code page
  // on Windows), or nothing when the user cancelled. `proposed` is the full path the dialog
  // offers (its folder and name filled in), or empty for none. The Save dialog asks before an
  // existing file is replaced, the platform's usual way, and answers only once the user agreed.
  virtual std::optional<std::string> choose_open(std::string_view title, std::string_view proposed) = 0;
  virtual std::optional<std::string> choose_save(std::string_view title, std::string_view proposed) = 0;
};

}  // namespace kova
