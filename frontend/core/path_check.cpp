#include "frontend/core/path_check.hpp"

#include <sstream>

#include "common/line_layout.hpp"
#include "common/number_syntax.hpp"
#include "common/run_description_reader.hpp"

namespace kova {
namespace {

bool is_separator(char c) {
#ifdef _WIN32
  return c == '\\' || c == '/';
#else
  return c == '/';
#endif
}

std::string_view file_name_of(std::string_view path) {
  std::size_t start = path.size();
  while (start > 0 && !is_separator(path[start - 1])) --start;
  return path.substr(start);
}

bool has_odd_white_space(std::string_view path) {
  if (path.empty() || is_white_space(path.front()) || is_white_space(path.back())) return true;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (is_white_space(path[i]) && (path[i] != ' ' || is_white_space(path[i + 1]))) return true;
  }
  return false;
}

std::string quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

std::string what_file(PathRole role) { return role == PathRole::kInputMatrix ? "the input file" : "the output file"; }

std::string example_name(PathRole role) { return role == PathRole::kInputMatrix ? "genes.txt" : "result.txt"; }

// Only a path with no '.' at all runs past its line: any word with one would end it.
std::string needs_a_dot(std::string_view path, PathRole role) {
  const std::string fix =
      role == PathRole::kInputMatrix ? "Rename the file so that its name has one" : "Choose a name with one";
  return "KOVA needs a '.' in the file name, such as " + example_name(role) + ": " + what_file(role) + " " +
         quoted(file_name_of(path)) + " has none. " + fix + ".";
}

std::string cut_short(std::string_view path, const std::string& read_back, PathRole role) {
  const std::string fix = role == PathRole::kInputMatrix
                              ? "Move or copy the file to a folder whose name has no '.', or rename the folder."
                              : "Choose a folder whose name has no '.', or a file name without a '.' before a blank.";
  return "KOVA would read the path of " + what_file(role) + " only as far as " + quoted(read_back) +
         ": a word with a '.' ends a path there, and " + quoted(path) +
         " has one before a blank (a '.' in a folder name or early in the file name). " + fix;
}

}  // namespace

std::optional<std::string> path_problem(std::string_view path, PathRole role) {
  if (has_odd_white_space(path)) {
    return "KOVA would read the path of " + what_file(role) + " " + quoted(path) +
           " with a single blank between its words: it must not start or end with a blank, nor hold two blanks in a "
           "row, a tab or a line break. Rename the file or folder.";
  }
  std::istringstream line(as_line(path));
  std::optional<std::string> read_back;
  try {
    read_back = read_joined_path(line);
  } catch (const RunDescriptionError&) {
    return "The path of " + what_file(role) + " is longer than KOVA can pass on (" + std::to_string(kMaxPathLength) +
           " characters). Choose a file in a folder with a shorter path.";
  }
  if (!read_back) return needs_a_dot(path, role);
  if (*read_back != path) return cut_short(path, *read_back, role);
  return std::nullopt;
}

}  // namespace kova
