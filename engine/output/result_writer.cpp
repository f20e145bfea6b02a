#include "engine/output/result_writer.hpp"

#include <charconv>
#include <cstring>

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
  report.write(as_line(kReportHeader));
}

ResultWriter::ResultWriter(const GeneTable& table, TextOutput& output, TextOutput& report)
    : table_(table),
      output_(output),
      report_(report),
      gene_counts_(static_cast<std::size_t>(table.genes()), 0),
      sample_counts_(static_cast<std::size_t>(table.samples()), 0) {
  // Every sample's label once, with its ", ", each in a slot of kSlot bytes: then a bicluster's
  // sample line is built without a branch per sample, whose selection is as good as random to the
  // processor.
  const auto samples = static_cast<std::size_t>(table.samples());
  label_slots_.assign(samples * kSlot, ' ');
  label_lengths_.resize(samples);
  std::string label;
  for (std::size_t s = 0; s < samples; ++s) {
    label = kSamplePrefix;
    append_int(label, static_cast<std::int64_t>(s) + 1);
    label += kSampleSeparator;
    label_lengths_[s] = label.size();
    label.copy(label_slots_.data() + s * kSlot, label.size());
  }
  sample_line_.resize(samples * kSlot + kSlot);
}

// The sample labels of `flags` (1 selects), each with its ", ", appended to `line`; counts them.
// Every slot is copied whole; the end moves on only past the selected ones.
void ResultWriter::append_samples(std::span<const std::int32_t> flags, std::string& line) {
  char* out = sample_line_.data();
  std::size_t used = 0;
  for (std::size_t s = 0; s < flags.size(); ++s) {
    const std::size_t selected = flags[s] == 1 ? 1 : 0;
    std::memcpy(out + used, label_slots_.data() + s * kSlot, kSlot);
    used += selected * label_lengths_[s];
    sample_counts_[s] += static_cast<std::int32_t>(selected);
  }
  line.append(out, used);
}

void ResultWriter::accept(const Bicluster& bicluster) {
  const auto genes = static_cast<std::int32_t>(bicluster.members.size());
  const std::int32_t samples = bicluster.selected_samples;

  line_ = kBiclusterLinePrefix;
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
  append_samples(bicluster.sample_flags, line_);
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
  line_ = kGeneMembershipTitle;
  line_ += kLineEnd;
  for (std::int32_t count : gene_counts_) {
    append_int(line_, count);
    line_ += '\t';
  }
  line_ += kLineEnd;
  line_ += kSampleMembershipTitle;
  line_ += kLineEnd;
  for (std::int32_t count : sample_counts_) {
    append_int(line_, count);
    line_ += '\t';
  }
  line_ += kLineEnd;
  report_.write(line_);
}

}  // namespace kova
