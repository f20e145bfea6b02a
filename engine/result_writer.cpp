#include "engine/result_writer.hpp"

#include <charconv>

#include "common/line_layout.hpp"

namespace kova {
namespace {

void append_int(std::string& line, std::int64_t value) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  line.append(digits, end);
}

}  // namespace

void write_report_header(TextOutput& report) {
  report.write(as_line("Bicluster\tNo. of rows\tNo. of columns\tSize"));
}

ResultWriter::ResultWriter(const GeneTable& table, TextOutput& output, TextOutput& report)
    : table_(table),
      output_(output),
      report_(report),
      gene_counts_(static_cast<std::size_t>(table.genes()), 0),
      sample_counts_(static_cast<std::size_t>(table.samples()), 0) {
  // Every sample's label once, so that a bicluster's sample line is one copy per sample.
  label_start_.push_back(0);
  for (std::int32_t s = 0; s < table.samples(); ++s) {
    sample_labels_ += "sample";
    append_int(sample_labels_, static_cast<std::int64_t>(s) + 1);
    sample_labels_ += ", ";
    label_start_.push_back(sample_labels_.size());
  }
}

void ResultWriter::accept(const Bicluster& bicluster) {
  const auto genes = static_cast<std::int32_t>(bicluster.members.size());
  const std::int32_t samples = bicluster.selected_samples;

  line_ = "Bicluster";
  append_int(line_, bicluster.number);
  line_ += '\t';
  append_int(line_, genes);
  line_ += '\t';
  append_int(line_, samples);
  line_ += '\t';
  // The size is a 32-bit product; it cannot exceed G x S, which the engine keeps below 2^31.
  append_int(line_, static_cast<std::int32_t>(genes * samples));
  line_ += kLineEnd;
  report_.write(line_);

  line_.clear();
  append_int(line_, genes);
  line_ += '\t';
  append_int(line_, samples);
  line_ += kLineEnd;
  for (std::size_t s = 0; s < bicluster.sample_flags.size(); ++s) {
    if (bicluster.sample_flags[s] != 1) continue;
    line_.append(sample_labels_, label_start_[s], label_start_[s + 1] - label_start_[s]);
    ++sample_counts_[s];
  }
  line_ += kLineEnd;
  for (std::int32_t gene : bicluster.members) {
    ++gene_counts_[static_cast<std::size_t>(gene)];
    line_ += table_[gene].name;
    line_ += '\t';
  }
  line_ += kLineEnd;
  output_.write(line_);
}

void ResultWriter::write_membership() {
  line_ = "gene in number of Bicluster";
  line_ += kLineEnd;
  for (std::int32_t count : gene_counts_) {
    append_int(line_, count);
    line_ += '\t';
  }
  line_ += kLineEnd;
  line_ += "samples in number of Bicluster";
  line_ += kLineEnd;
  for (std::int32_t count : sample_counts_) {
    append_int(line_, count);
    line_ += '\t';
  }
  line_ += kLineEnd;
  report_.write(line_);
}

}  // namespace kova
