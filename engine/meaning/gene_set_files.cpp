// The gene-set file (GMT) and the gene-name file: both tab-separated text, one record a line.
// Every refusal names the file, the line and the reason.

#include <fstream>
#include <unordered_map>
#include <unordered_set>

#include "kova/meaning.hpp"

namespace kova {
namespace {

std::vector<std::string> fields_of(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = line.find('\t', start);
    fields.push_back(line.substr(start, end - start));
    if (end == std::string::npos) return fields;
    start = end + 1;
  }
}

bool blank(const std::string& text) { return text.find_first_not_of(" \t") == std::string::npos; }

class LineReader {
 public:
  LineReader(std::istream& in, const std::string& file) : in_(in), file_(file) {}

  // The next line without its CR LF or LF; false at the end.
  bool next(std::string& line) {
    if (!std::getline(in_, line)) {
      if (in_.bad()) throw MeaningFileError(file_ + ": cannot be read");
      return false;
    }
    ++number_;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find('\0') != std::string::npos) refuse("holds a NUL byte; is it a text file?");
    return true;
  }

  [[noreturn]] void refuse(const std::string& reason) const {
    throw MeaningFileError(file_ + ": line " + std::to_string(number_) + ": " + reason);
  }
  std::int64_t number() const { return number_; }

 private:
  std::istream& in_;
  const std::string& file_;
  std::int64_t number_ = 0;
};

std::ifstream open_text(const std::filesystem::path& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) throw MeaningFileError(path.string() + ": is a folder, not a file");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw MeaningFileError(path.string() + ": cannot be opened");
  return in;
}

}  // namespace

std::vector<GeneSet> parse_gene_sets(std::istream& in, const std::string& file) {
  std::vector<GeneSet> sets;
  std::unordered_map<std::string, std::int64_t> first_line;
  LineReader lines(in, file);
  for (std::string line; lines.next(line);) {
    if (blank(line)) continue;
    std::vector<std::string> fields = fields_of(line);
    if (fields.size() < 3) {
      lines.refuse("a gene set needs its name, a description and its genes, separated by tabs");
    }
    GeneSet set{std::move(fields[0]), std::move(fields[1]), {}};
    if (blank(set.name)) lines.refuse("the gene set has no name");
    if (const auto [at, added] = first_line.emplace(set.name, lines.number()); !added) {
      lines.refuse("the gene set '" + set.name + "' is given again (first on line " + std::to_string(at->second) + ")");
    }
    std::unordered_set<std::string> seen;
    for (std::size_t i = 2; i < fields.size(); ++i) {
      // Empty fields (a tab at the end of the line, as many tools write) hold no gene.
      if (!blank(fields[i]) && seen.insert(fields[i]).second) set.genes.push_back(std::move(fields[i]));
    }
    if (set.genes.empty()) lines.refuse("the gene set '" + set.name + "' lists no gene");
    sets.push_back(std::move(set));
  }
  if (sets.empty()) throw MeaningFileError(file + ": holds no gene set (one a line: name, description, genes)");
  return sets;
}

std::vector<GeneSet> read_gene_sets(const std::filesystem::path& path) {
  std::ifstream in = open_text(path);
  return parse_gene_sets(in, path.string());
}

GeneNames parse_gene_names(std::istream& in, const std::string& file) {
  GeneNames names;
  std::unordered_map<std::string, std::int64_t> first_line;
  LineReader lines(in, file);
  for (std::string line; lines.next(line);) {
    // A title line starting with '#' is allowed first, and blank lines anywhere.
    if (blank(line) || (lines.number() == 1 && line.starts_with('#'))) continue;
    std::vector<std::string> fields = fields_of(line);
    if (fields.size() < 2) lines.refuse("a line needs the matrix's name and a symbol, separated by a tab");
    if (fields.size() > 3) lines.refuse("more than three fields (the matrix's name, a symbol, a description)");
    if (blank(fields[0])) lines.refuse("the matrix's name is empty");
    if (const auto [at, added] = first_line.emplace(fields[0], lines.number()); !added) {
      lines.refuse("'" + fields[0] + "' is given again (first on line " + std::to_string(at->second) + ")");
    }
    // An empty symbol is allowed: a probe that stands for no known gene maps into no set.
    names.emplace(std::move(fields[0]), GeneName{std::move(fields[1]), fields.size() == 3 ? std::move(fields[2]) : ""});
  }
  if (names.empty()) throw MeaningFileError(file + ": holds no name (one a line: matrix name, symbol, description)");
  return names;
}

GeneNames read_gene_names(const std::filesystem::path& path) {
  std::ifstream in = open_text(path);
  return parse_gene_names(in, path.string());
}

}  // namespace kova
