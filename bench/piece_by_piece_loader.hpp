#pragma once
// The matrix loader as it was before it scanned numbers in place: every piece found character by
// character, then scanned and converted by the shared number grammar. Kept as the benchmark's
// baseline, measured in the same run as the engine's loader, and as a check of its results.

#include <cstdio>

#include "kova/matrix.hpp"

namespace kova::bench {

// Fills `table` from `file` by the same rules as load_matrix; false when reading failed or a piece
// grew too long.
bool load_piece_by_piece(std::FILE* file, GeneTable& table);

}  // namespace kova::bench
