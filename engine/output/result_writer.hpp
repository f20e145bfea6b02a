#pragma once
// The output file and bicluster_report.txt, byte for byte.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "engine/model/bicluster.hpp"
#include "engine/model/gene_table.hpp"
#include "engine/output/output_file.hpp"
#include "engine/output/report_format.hpp"

namespace kova {

// "Bicluster\tNo. of rows\tNo. of columns\tSize", written at start-up.
void write_report_header(TextOutput& report);

// Writes each bicluster as one report line and three output lines, and counts memberships.
class ResultWriter final : public BiclusterSink {
 public:
  ResultWriter(const GeneTable& table, TextOutput& output, TextOutput& report);

  void accept(const Bicluster& bicluster) override;
  // The membership lines at the end of the report: per gene, then per sample.
  void write_membership();

 private:
  const GeneTable& table_;
  TextOutput& output_;
  TextOutput& report_;
  std::vector<std::int32_t> gene_counts_;
  std::vector<std::int32_t> sample_counts_;
  static constexpr std::size_t kSlot = 32;  // "sample2147483647, " fits: every label does
  void append_samples(std::span<const std::int32_t> flags, std::string& line);

  std::vector<char> label_slots_;           // label s at [s * kSlot]
  std::vector<std::size_t> label_lengths_;  // per sample, with its ", "
  std::vector<char> sample_line_;           // room for every label's slot, and one more
  std::string line_;  // reused for every line
};

}  // namespace kova
