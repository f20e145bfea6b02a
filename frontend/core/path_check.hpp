#pragma once
// Whether the engine will read back a chosen path as it was chosen. The engine joins the
// white-space separated words of a run description line up to the first word that holds a '.',
// so a name without a '.', a '.' in a folder name before a blank, or doubled blanks would make it
// open another file than the one the user picked.

#include <optional>
#include <string>
#include <string_view>

namespace kova {

enum class PathRole { kInputMatrix, kOutputFile };

// Nothing when the engine reads `path` back unchanged; otherwise what is wrong and what would
// work, in words for a message box.
std::optional<std::string> path_problem(std::string_view path, PathRole role);

}  // namespace kova
