#pragma once
// A finished run opened for viewing: the matrix as the engine loaded it, the biclusters of the
// output file mapped onto its rows, and the membership counts.

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "kova/matrix.hpp"
#include "viewer/core/result_files.hpp"

namespace kova::viewer {

class RunLoadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The run's genes or samples when they are not given: counted from the matrix, one gene per line,
// as kova2 counts them.
inline constexpr std::int32_t kCountFromMatrix = -1;

struct RunFiles {
  std::filesystem::path output;
  std::filesystem::path matrix;
  std::filesystem::path report;  // empty: none; the membership is then counted from the output file
  std::int32_t genes = kCountFromMatrix;
  std::int32_t samples = kCountFromMatrix;
};

struct LoadedRun {
  RunFiles files;
  GeneTable table{0, 0};
  std::vector<ResultBicluster> biclusters;           // as the output file lists them
  std::vector<std::vector<std::int32_t>> gene_rows;  // per bicluster: its genes' rows in the table
  std::vector<std::int32_t> sample_counts;           // per sample: biclusters that select it
  bool counts_from_report = false;
  std::string report_note;                   // why the report was not used; empty when it was, or none was given
  std::vector<std::string> matrix_warnings;  // what the engine warns about the matrix, file named
};

// Reads everything, the genes and samples counted first where they are kCountFromMatrix; throws RunLoadError (or ResultFileError) with a message naming the file and,
// where there is one, the line.
LoadedRun load_run(const RunFiles& files);

// bicluster_report.txt beside the output file, else in `current_folder`; empty when neither exists.
std::filesystem::path find_report(const std::filesystem::path& output, const std::filesystem::path& current_folder);

}  // namespace kova::viewer
