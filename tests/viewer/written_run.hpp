#pragma once
// A finished run written by the engine's own search and result writer, for reading back.

#include <charconv>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/search/literal_search.hpp"
#include "engine/output/output_file.hpp"
#include "engine/output/result_writer.hpp"
#include "tests/support/collecting_sink.hpp"
#include "tests/support/temp_dir.hpp"
#include "viewer/core/run_data.hpp"

namespace kova::test {

// The worked example: five genes over five samples; at 0.9 it gives three biclusters.
inline const std::vector<std::vector<double>> kWorkedRows = {
    {1, 2, 3, 4, 5}, {2, 4, 6, 8, 11}, {5, 1, 4, 2, 3}, {1, 3, 3, 4, 6}, {3, 1, 4, 1, 5}};

// One gene a line, names g1, g2, ..., values in the shortest form that reads back exactly.
inline std::string matrix_text(const std::vector<std::vector<double>>& rows) {
  std::string text;
  for (std::size_t g = 0; g < rows.size(); ++g) {
    text += "g" + std::to_string(g + 1);
    for (double v : rows[g]) {
      char digits[32];
      text += '\t';
      text.append(digits, std::to_chars(digits, digits + sizeof digits, v).ptr);
    }
    text += '\n';
  }
  return text;
}

// Writes matrix.txt, result.txt and bicluster_report.txt into `folder`, the results by the
// search over `rows` at `threshold`.
inline viewer::RunFiles write_run(const std::filesystem::path& folder, const std::vector<std::vector<double>>& rows,
                                  double threshold, std::int32_t max_biclusters = 10000) {
  viewer::RunFiles files;
  files.matrix = folder / "matrix.txt";
  files.output = folder / "result.txt";
  files.report = folder / kReportFileName;
  write_file(files.matrix, matrix_text(rows));
  GeneTable table = make_table(rows);
  for (std::int32_t g = 0; g < table.genes(); ++g) table[g].name = "g" + std::to_string(g + 1);
  files.genes = table.genes();
  files.samples = table.samples();
  OutputFile output(files.output);
  OutputFile report(files.report);
  write_report_header(report);
  ResultWriter writer(table, output, report);
  literal_search(table, threshold, max_biclusters, writer);
  writer.write_membership();
  output.close();
  report.close();
  return files;
}

}  // namespace kova::test
