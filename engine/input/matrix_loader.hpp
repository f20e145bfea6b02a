#pragma once
// Loads an expression matrix: per gene one name and `samples` values, white-space separated.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/input/block_reader.hpp"
#include "engine/input/matrix_error.hpp"
#include "engine/model/gene_table.hpp"

namespace kova {

// What the loading met that the run goes on with, and where the file ran out.
struct MatrixLoadSummary {
  // The gene whose name or values were still due when the file ended; -1 when none was.
  std::int32_t ended_in_gene = -1;
  // The line of the last piece read, and the last line of the file that holds a piece: beyond it
  // when the file holds more than the run's genes.
  std::int64_t lines_read = 0;
  std::int64_t last_line = 0;
  // Gene names that are wholly a real number with a '.' or an exponent, such as "-0.0556".
  std::int32_t numeric_names = 0;
  std::string first_numeric_name;
  std::int64_t first_numeric_name_line = 0;
};

// Fills `table` from `in`. A lone sign or full stop, or a sign and a full stop, where a value is due
// is read as 0. A UTF-8 byte order mark at the start is skipped. Throws MatrixFormatError for a
// matrix the run cannot use (see above), MatrixReadError when reading the file fails or a piece is
// too long for any text matrix. An early end of the file leaves empty names and zeros.
MatrixLoadSummary load_matrix(BlockReader& in, GeneTable& table);

// One sentence per kind of thing worth a warning in `summary`, for a run of `genes` genes and
// `samples` samples; none for a matrix that is exactly what the run says.
std::vector<std::string> matrix_warnings(const MatrixLoadSummary& summary, std::int32_t genes, std::int32_t samples);

}  // namespace kova
