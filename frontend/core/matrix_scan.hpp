#pragma once
// A quick look at an input matrix before a run, to compare it with the entries of the input
// parameters window: how many lines hold a gene, how many values each gene line holds, and
// whether the first line looks like a header rather than a gene. One pass over the bytes, no
// numbers converted, so that a file of 100 MB takes well under a second.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kova {

struct MatrixScan {
  std::int64_t lines = 0;          // lines holding anything but white space
  std::int64_t fewest_values = 0;  // values (words after the name) on the emptiest gene line
  std::int64_t most_values = 0;    // ... and on the fullest (a header line is no gene line)
  bool header = false;             // the first line's words after the first are not all numbers
  std::string first_line;          // its beginning, for the message
};

// Nothing when the file cannot be read.
std::optional<MatrixScan> scan_matrix(const std::filesystem::path& path);

// What disagrees between the entries and the file, one sentence each; empty when nothing does.
// The header line, when there is one, is not counted as a gene.
std::vector<std::string> disagreements(const MatrixScan& shape, std::int32_t genes, std::int32_t samples);

}  // namespace kova
