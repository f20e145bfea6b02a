#pragma once
// Reading back the two result files of a run: the output file and bicluster_report.txt.
// Parsers take the whole text; errors name the file and the 1-based line.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kova::viewer {

class ResultFileError : public std::runtime_error {
 public:
  ResultFileError(const std::string& file, std::int64_t line, const std::string& problem);
  const std::string& file() const { return file_; }
  std::int64_t line() const { return line_; }

 private:
  std::string file_;
  std::int64_t line_;
};

// One bicluster of the output file, as written: gene names in member order, samples numbered
// from 1 in ascending order.
struct ResultBicluster {
  std::int32_t number = 0;  // 1-based, in file order
  std::vector<std::string> genes;
  std::vector<std::int32_t> samples;
  std::int64_t first_line = 0;  // where its three lines start, for messages
};

struct ReportLine {
  std::int32_t number = 0;
  std::int32_t rows = 0;
  std::int32_t columns = 0;
  std::int32_t size = 0;
};

struct Report {
  std::vector<ReportLine> biclusters;
  std::vector<std::int32_t> gene_counts;
  std::vector<std::int32_t> sample_counts;
};

// `file` only names the source in messages. Lines may end with CR LF or LF alone.
std::vector<ResultBicluster> parse_output_file(std::string_view text, const std::string& file);
Report parse_report(std::string_view text, const std::string& file);

}  // namespace kova::viewer
