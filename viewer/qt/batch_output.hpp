#pragma once
// What kovaview writes without a window: heatmap pictures of one or all biclusters, the
// bicluster table and the biclusters' members.

#include <QFont>
#include <cstddef>
#include <functional>
#include <string>

#include "viewer/core/command_line.hpp"

namespace kova::viewer {

// Called with each warning about the matrix, file named, before anything is written.
using MatrixWarning = std::function<void(const std::string& warning)>;

// Called after each picture of --all with how many are done and how many there are.
using PictureProgress = std::function<void(std::size_t done, std::size_t total)>;

// Loads the run of `line` and writes every file it asks for. Throws std::runtime_error with a
// message naming the file when anything cannot be read or written.
void write_batch_output(const CommandLine& line, const QFont& font, const MatrixWarning& warn,
                        const PictureProgress& progress);

}  // namespace kova::viewer
