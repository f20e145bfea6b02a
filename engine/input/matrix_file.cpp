#include <cerrno>
#include <utility>

#include "engine/input/block_reader.hpp"
#include "engine/input/matrix_loader.hpp"
#include "engine/input/matrix_refusal.hpp"
#include "engine/platform/file_names.hpp"
#include "kova/matrix.hpp"

namespace kova {

namespace fs = std::filesystem;

MatrixFile open_matrix_file(const fs::path& path) {
  std::error_code ec;
  if (fs::is_directory(path, ec))
    throw MatrixFileError("cannot read input matrix " + quoted(path) + ": it is a folder");
  errno = 0;
  MatrixFile file(open_file(path, "rb"));
  if (!file) throw MatrixFileError("cannot open input matrix " + quoted(path) + system_reason(errno));
  return file;
}

MatrixShape count_matrix_file(const fs::path& path) {
  MatrixFile file = open_matrix_file(path);
  {
    // Text in another encoding is refused for what it is, not for lines that seem to disagree.
    BlockReader reader(file.get());
    try {
      check_encoding(reader);
    } catch (const MatrixReadError& e) {
      throw MatrixFileError("input matrix " + quoted(path) + ": " + e.what());
    }
  }
  std::rewind(file.get());
  try {
    return count_matrix_shape(file.get());
  } catch (const MatrixShapeError& e) {
    throw MatrixShapeError("cannot count the genes and samples of input matrix " + quoted(path) + ": " + e.what());
  }
}

std::vector<std::string> load_matrix_file(MatrixFile file, const fs::path& path, GeneTable& table) {
  BlockReader reader(file.get());
  MatrixLoadSummary loaded;
  try {
    loaded = load_matrix(reader, table);
  } catch (const MatrixFormatError& e) {
    throw MatrixFileError("input matrix " + quoted(path) + ": " + e.what());
  } catch (const MatrixReadError& e) {
    throw MatrixFileError("cannot read input matrix " + quoted(path) + ": " + e.what());
  }
  file.reset();
  std::vector<std::string> warnings = matrix_warnings(loaded, table.genes(), table.samples());
  for (std::string& warning : warnings) warning = "input matrix " + quoted(path) + ": " + warning;
  return warnings;
}

}  // namespace kova
