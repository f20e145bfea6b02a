#include "viewer/core/result_files.hpp"

#include <charconv>

namespace kova::viewer {
namespace {

// Hands out the lines of a text one by one, without their line end, counting them from 1.
class LineCursor {
 public:
  explicit LineCursor(std::string_view text) : text_(text) {}

  bool at_end() const { return pos_ >= text_.size(); }
  std::int64_t line_number() const { return line_; }  // of the line last taken

  std::string_view take() {
    const std::size_t end = text_.find('\n', pos_);
    std::string_view line = text_.substr(pos_, end == std::string_view::npos ? std::string_view::npos : end - pos_);
    complete_ = end != std::string_view::npos;
    pos_ = complete_ ? end + 1 : text_.size();
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ++line_;
    return line;
  }
  // False when the line last taken ran into the end of the file without a line end.
  bool last_complete() const { return complete_; }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  std::int64_t line_ = 0;
  bool complete_ = true;
};

// A plain decimal integer: digits only, no sign, no leading zeros, fits 32 bits.
bool parse_count(std::string_view text, std::int32_t& value) {
  if (text.empty() || (text.size() > 1 && text[0] == '0')) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

// Splits "a\tb\tc\t" into a, b, c: every field is followed by a tab, the last included.
bool split_tab_terminated(std::string_view line, std::vector<std::string_view>& fields) {
  fields.clear();
  while (!line.empty()) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) return false;
    fields.push_back(line.substr(0, tab));
    line.remove_prefix(tab + 1);
  }
  return true;
}

// "%d\t%d\t..." without a tab after the last field.
bool split_tab_separated(std::string_view line, std::vector<std::string_view>& fields) {
  fields.clear();
  for (;;) {
    const std::size_t tab = line.find('\t');
    fields.push_back(line.substr(0, tab));
    if (tab == std::string_view::npos) return true;
    line.remove_prefix(tab + 1);
  }
}

std::vector<std::int32_t> parse_counts_line(std::string_view line, LineCursor& cursor, const std::string& file,
                                            const char* what) {
  std::vector<std::string_view> fields;
  if (!split_tab_terminated(line, fields)) {
    throw ResultFileError(file, cursor.line_number(), std::string(what) + " must each be followed by a tab");
  }
  std::vector<std::int32_t> counts(fields.size());
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (!parse_count(fields[i], counts[i])) {
      throw ResultFileError(file, cursor.line_number(),
                            std::string(what) + ": '" + std::string(fields[i]) + "' is not a count");
    }
  }
  return counts;
}

std::vector<std::int32_t> parse_sample_line(std::string_view line, LineCursor& cursor, const std::string& file) {
  constexpr std::string_view prefix = "sample";
  constexpr std::string_view separator = ", ";
  std::vector<std::int32_t> samples;
  while (!line.empty()) {
    const std::size_t end = line.find(separator);
    const std::string_view item = line.substr(0, end);
    std::int32_t number = 0;
    if (end == std::string_view::npos || !item.starts_with(prefix) ||
        !parse_count(item.substr(prefix.size()), number) || number < 1) {
      throw ResultFileError(file, cursor.line_number(), "expected samples as \"sample<number>, \", found '" +
                                                            std::string(item) + "'");
    }
    if (!samples.empty() && number <= samples.back()) {
      throw ResultFileError(file, cursor.line_number(), "samples are not in ascending order");
    }
    samples.push_back(number);
    line.remove_prefix(end + separator.size());
  }
  return samples;
}

// Takes the next line; a file that ends before it is reported as cut short.
std::string_view take_due_line(LineCursor& cursor, const std::string& file, const std::string& what) {
  if (cursor.at_end()) {
    throw ResultFileError(file, cursor.line_number() + 1, "the file ends where " + what +
                                                              " is due (cut short, or the run has not finished)");
  }
  const std::string_view line = cursor.take();
  if (!cursor.last_complete()) {
    throw ResultFileError(file, cursor.line_number(), "the file ends inside " + what +
                                                          " (cut short, or the run has not finished)");
  }
  return line;
}

}  // namespace

ResultFileError::ResultFileError(const std::string& file, std::int64_t line, const std::string& problem)
    : std::runtime_error("'" + file + "' line " + std::to_string(line) + ": " + problem), file_(file), line_(line) {}

std::vector<ResultBicluster> parse_output_file(std::string_view text, const std::string& file) {
  std::vector<ResultBicluster> biclusters;
  std::vector<std::string_view> fields;
  LineCursor cursor(text);
  while (!cursor.at_end()) {
    ResultBicluster bicluster;
    bicluster.number = static_cast<std::int32_t>(biclusters.size() + 1);
    const std::string what = "bicluster " + std::to_string(bicluster.number);

    const std::string_view size_line = take_due_line(cursor, file, "the size line of " + what);
    bicluster.first_line = cursor.line_number();
    std::int32_t genes = 0;
    std::int32_t samples = 0;
    split_tab_separated(size_line, fields);
    if (fields.size() != 2 || !parse_count(fields[0], genes) || !parse_count(fields[1], samples)) {
      throw ResultFileError(file, cursor.line_number(), "expected \"<genes>\\t<samples>\" for " + what + ", found '" +
                                                            std::string(size_line) + "'");
    }

    if (genes == 0) throw ResultFileError(file, cursor.line_number(), what + " has no genes");
    bicluster.samples = parse_sample_line(take_due_line(cursor, file, "the sample line of " + what), cursor, file);
    if (bicluster.samples.size() != static_cast<std::size_t>(samples)) {
      throw ResultFileError(file, cursor.line_number(), what + " lists " + std::to_string(bicluster.samples.size()) +
                                                            " samples, its size line says " + std::to_string(samples));
    }

    if (!split_tab_terminated(take_due_line(cursor, file, "the gene line of " + what), fields)) {
      throw ResultFileError(file, cursor.line_number(), "every gene name must be followed by a tab");
    }
    if (fields.size() != static_cast<std::size_t>(genes)) {
      throw ResultFileError(file, cursor.line_number(), what + " lists " + std::to_string(fields.size()) +
                                                            " genes, its size line says " + std::to_string(genes));
    }
    for (std::string_view name : fields) {
      if (name.empty()) throw ResultFileError(file, cursor.line_number(), what + " has an empty gene name");
      bicluster.genes.emplace_back(name);
    }
    biclusters.push_back(std::move(bicluster));
  }
  return biclusters;
}

Report parse_report(std::string_view text, const std::string& file) {
  Report report;
  std::vector<std::string_view> fields;
  LineCursor cursor(text);
  if (take_due_line(cursor, file, "the header line") != "Bicluster\tNo. of rows\tNo. of columns\tSize") {
    throw ResultFileError(file, 1, "this is not a bicluster report: the header line differs");
  }
  for (;;) {
    const std::string_view line = take_due_line(cursor, file, "a bicluster line or the membership section");
    if (line == "gene in number of Bicluster") break;
    ReportLine entry;
    split_tab_separated(line, fields);
    if (fields.size() != 4 || !fields[0].starts_with("Bicluster") ||
        !parse_count(fields[0].substr(9), entry.number) || !parse_count(fields[1], entry.rows) ||
        !parse_count(fields[2], entry.columns) || !parse_count(fields[3], entry.size)) {
      throw ResultFileError(file, cursor.line_number(), "expected \"Bicluster<n>\\t<rows>\\t<columns>\\t<size>\", found '" +
                                                            std::string(line) + "'");
    }
    if (entry.number != static_cast<std::int32_t>(report.biclusters.size() + 1)) {
      throw ResultFileError(file, cursor.line_number(), "expected Bicluster" +
                                                            std::to_string(report.biclusters.size() + 1));
    }
    report.biclusters.push_back(entry);
  }
  report.gene_counts = parse_counts_line(take_due_line(cursor, file, "the per-gene counts"), cursor, file,
                                         "per-gene counts");
  if (take_due_line(cursor, file, "the sample section title") != "samples in number of Bicluster") {
    throw ResultFileError(file, cursor.line_number(), "expected \"samples in number of Bicluster\"");
  }
  report.sample_counts = parse_counts_line(take_due_line(cursor, file, "the per-sample counts"), cursor, file,
                                           "per-sample counts");
  if (!cursor.at_end()) throw ResultFileError(file, cursor.line_number() + 1, "unexpected text after the counts");
  return report;
}

}  // namespace kova::viewer
