#include "frontend/core/matrix_scan.hpp"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>
#include <string_view>

#include "common/line_ends.hpp"
#include "common/number_syntax.hpp"

namespace kova {
namespace {

constexpr std::size_t kBlockSize = 1 << 20;
constexpr std::size_t kShownHeaderLength = 60;

// Counts the words of each line as the bytes stream past; keeps the first line's text to judge it.
class LineCounter {
 public:
  void feed(std::string_view bytes) {
    for (const char c : bytes) {
      const LineEnds::Byte kind = line_ends_.classify(c);
      if (kind == LineEnds::Byte::kSecondHalf) continue;
      if (kind == LineEnds::Byte::kLineEnd) {
        end_line();
      } else if (is_white_space(c)) {
        in_word_ = false;
      } else if (!in_word_) {
        in_word_ = true;
        ++words_;
      }
      if (shape_.lines == 0 && first_line_.size() < kFirstLineLimit) first_line_.push_back(c);
    }
  }

  MatrixScan finish() {
    end_line();
    // A header's words are no values: the genes' lines alone give the counts then.
    if (!shape_.header && shape_.lines > 0) {
      fewest_ = std::min(fewest_, first_values_);
      most_ = std::max(most_, first_values_);
    }
    if (most_ >= 0) {
      shape_.fewest_values = fewest_;
      shape_.most_values = most_;
    }
    return shape_;
  }

 private:
  // The first line is judged on its beginning only; a header says so early.
  static constexpr std::size_t kFirstLineLimit = 4096;

  void end_line() {
    in_word_ = false;
    if (words_ == 0) {
      if (shape_.lines == 0) first_line_.clear();  // blank lines before the first are no first line
      return;
    }
    const std::int64_t values = words_ - 1;
    if (shape_.lines == 0) {
      first_values_ = values;
      judge_first_line();
    } else {
      fewest_ = std::min(fewest_, values);
      most_ = std::max(most_, values);
    }
    ++shape_.lines;
    words_ = 0;
  }

  void judge_first_line() {
    std::string_view line = first_line_;
    line = line.substr(0, line.find_first_of("\r\n"));
    // A word cut at the limit is not judged.
    if (first_line_.size() == kFirstLineLimit && line.size() == first_line_.size()) {
      while (!line.empty() && !is_white_space(line.back())) line.remove_suffix(1);
    }
    bool name = true;
    for (std::size_t at = 0; at < line.size();) {
      if (is_white_space(line[at])) {
        ++at;
        continue;
      }
      std::size_t end = at;
      while (end < line.size() && !is_white_space(line[end])) ++end;
      const std::string_view word = line.substr(at, end - at);
      at = end;
      if (name) {
        name = false;
        continue;
      }
      const RealScan scan = scan_real(word);
      if (!scan.is_number || scan.length != word.size()) shape_.header = true;
    }
    shape_.first_line = std::string(line.substr(0, kShownHeaderLength));
    if (line.size() > kShownHeaderLength) shape_.first_line += "...";
  }

  std::int64_t first_values_ = 0;
  std::int64_t fewest_ = std::numeric_limits<std::int64_t>::max();
  std::int64_t most_ = -1;
  MatrixScan shape_;
  LineEnds line_ends_;
  std::string first_line_;
  std::int64_t words_ = 0;
  bool in_word_ = false;
};

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

std::string count(std::int64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::optional<MatrixScan> scan_matrix(const std::filesystem::path& path) {
  const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.string().c_str(), "rb"));
  if (!file) return std::nullopt;
  LineCounter counter;
  std::vector<char> block(kBlockSize);
  for (;;) {
    const std::size_t got = std::fread(block.data(), 1, block.size(), file.get());
    counter.feed(std::string_view(block.data(), got));
    if (got < block.size()) break;
  }
  if (std::ferror(file.get())) return std::nullopt;
  return counter.finish();
}

std::vector<std::string> disagreements(const MatrixScan& shape, std::int32_t genes, std::int32_t samples) {
  std::vector<std::string> found;
  if (shape.header) {
    found.push_back("Its first line is no gene (a name followed by numbers) but looks like a header: '" +
                    shape.first_line + "'. KOVA reads every line as a gene; remove that line from the file.");
  }
  const std::int64_t gene_lines = shape.lines - (shape.header ? 1 : 0);
  if (gene_lines != genes) {
    found.push_back("The number of genes is " + std::to_string(genes) + ", but the file holds " +
                    count(gene_lines, "gene line", "gene lines") + ".");
  }
  if (gene_lines > 0) {
    if (shape.fewest_values == shape.most_values) {
      if (shape.most_values != samples) {
        found.push_back("The number of samples is " + std::to_string(samples) + ", but each gene in the file has " +
                        count(shape.most_values, "value", "values") + ".");
      }
    } else {
      found.push_back("The genes in the file have different numbers of values, from " +
                      std::to_string(shape.fewest_values) + " to " + std::to_string(shape.most_values) +
                      ", while the number of samples is " + std::to_string(samples) + ".");
    }
  }
  return found;
}

}  // namespace kova
