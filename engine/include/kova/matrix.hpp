#pragma once
// An expression matrix from its file: one gene per line, a name and then its values. Every
// refusal and warning names the file and says what to do. The loader itself (from any stream, with
// what it met: matrix_loader.hpp) is here too, for doors that judge a short matrix themselves.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/input/matrix_loader.hpp"
#include "engine/input/matrix_shape.hpp"
#include "engine/model/gene_table.hpp"

namespace kova {

// The matrix file cannot be opened, read or used; the message names it.
class MatrixFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct MatrixFileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using MatrixFile = std::unique_ptr<std::FILE, MatrixFileCloser>;

// Opens the matrix for reading; a folder or a file that cannot be opened is refused.
MatrixFile open_matrix_file(const std::filesystem::path& path);

// The genes and samples of the matrix at `path`, one gene per line. Text in another encoding is
// refused for what it is (MatrixFileError); lines that disagree on their number of values, or no
// gene at all, throw MatrixShapeError, whose message names the file.
MatrixShape count_matrix_file(const std::filesystem::path& path);

// Loads the opened matrix `file` (named `path` in messages) into `table`, which says how many
// genes and samples to read, and closes it. Returns the warnings about what the loading met,
// each naming the file; throws MatrixFileError for a matrix the run cannot use.
std::vector<std::string> load_matrix_file(MatrixFile file, const std::filesystem::path& path, GeneTable& table);

}  // namespace kova
