// Fuzz target: the matrix loader and its number grammar. The first bytes choose the number of
// genes, the number of samples and the block size of the reader; the rest is the matrix file.
// The table loaded, or the refusal and the line and piece it names, is held against a plain reading
// of the whole text (a POSIX regular expression for the grammar, strtod for the values) and
// against a load with the engine's own block size.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kova/matrix.hpp"
#include "fuzz/fuzz_support.hpp"

namespace kova::fuzz {
namespace {

struct Loaded {
  std::vector<std::string> names;
  std::vector<std::vector<double>> rows;
  bool refused = false;
  std::string refused_at;  // "line L, piece P: " for a piece refused; empty for a whole file refused
  std::string message;     // the loader's own
};

Loaded refusal(std::string at = "") { return {{}, {}, true, std::move(at), ""}; }

// The encoding rules: UTF-16 and UTF-32 refused by their byte order mark, or by NUL bytes making up
// at least a quarter of the first 4096 bytes; a UTF-8 byte order mark skipped. Returns where the
// matrix starts, or nothing when it is refused.
std::optional<std::size_t> matrix_start(const std::string& text) {
  const auto starts = [&](std::string_view mark) { return std::string_view(text).substr(0, mark.size()) == mark; };
  using namespace std::string_view_literals;
  if (starts("\x00\x00\xFE\xFF"sv) || starts("\xFF\xFE"sv) || starts("\xFE\xFF"sv)) return std::nullopt;
  if (starts("\xEF\xBB\xBF"sv)) return 3;
  const std::size_t head = std::min<std::size_t>(text.size(), 4096);
  std::size_t nul = 0;
  for (std::size_t i = 0; i < head; ++i) nul += text[i] == '\0';
  if (head >= 2 && 4 * nul >= head) return std::nullopt;
  return 0;
}

// Where the piece starting at `at` stands: "line L, piece P: ".
std::string place(const std::string& text, std::size_t at) {
  std::size_t line = 1, line_start = 0;
  for (std::size_t i = 0; i < at; ++i) {
    if (text[i] == '\n') {
      ++line;
      line_start = i + 1;
    }
  }
  std::size_t piece = 0;
  for (std::size_t i = line_start; i <= at; ++i) {
    if (!is_space(text[i]) && (i == line_start || is_space(text[i - 1]))) ++piece;
  }
  return "line " + std::to_string(line) + ", piece " + std::to_string(piece) + ": ";
}

// The loading rules over a string: a name is the next piece; where a value is due the next piece
// must be wholly a finite number of the grammar, or a lone sign and/or full stop (read as 0); a
// file without any piece is refused where genes are due.
Loaded plain_load(const std::string& text, std::int32_t genes, std::int32_t samples) {
  const std::optional<std::size_t> start = matrix_start(text);
  if (!start) return refusal();
  Loaded loaded{std::vector<std::string>(genes), std::vector<std::vector<double>>(genes, std::vector<double>(samples)),
                false, "", ""};
  std::size_t i = *start;
  const auto next_piece = [&]() {
    while (i < text.size() && is_space(text[i])) ++i;
    std::size_t end = i;
    while (end < text.size() && !is_space(text[end])) ++end;
    return std::string_view(text).substr(i, end - i);
  };
  if (genes > 0 && next_piece().empty()) return refusal();
  for (std::int32_t g = 0; g < genes; ++g) {
    const std::string_view name = next_piece();
    loaded.names[g] = std::string(name);
    i += name.size();
    for (std::int32_t s = 0; s < samples; ++s) {
      const std::string_view piece = next_piece();
      if (piece.empty()) break;
      const GrammarMatch match = match_number(piece);
      if (match.length != piece.size()) return refusal(place(text, i));
      if (match.is_number) loaded.rows[g][s] = c_library_value(piece);
      if (std::isinf(loaded.rows[g][s])) return refusal(place(text, i));
      i += match.length;
    }
  }
  return loaded;
}

Loaded load(const std::string& text, std::int32_t genes, std::int32_t samples, std::size_t block_size) {
  FilePtr file = memory_file(text);
  check(file != nullptr, "cannot open a stream over the fuzzed bytes");
  BlockReader reader(file.get(), block_size);
  GeneTable table(genes, samples);
  Loaded loaded;
  try {
    const MatrixLoadSummary summary = load_matrix(reader, table);
    check(summary.lines_read <= summary.last_line, "more lines read than the file holds");
    for (const std::string& warning : matrix_warnings(summary, genes, samples)) {
      check(!warning.empty() && warning.find('\n') == std::string::npos, "a warning is not one line");
    }
  } catch (const MatrixFormatError& e) {
    Loaded refused = refusal();
    refused.message = e.what();
    return refused;
  }
  for (std::int32_t g = 0; g < genes; ++g) {
    loaded.names.push_back(table[g].name);
    loaded.rows.emplace_back(table.row(g).begin(), table.row(g).end());
  }
  return loaded;
}

bool same_table(const Loaded& a, const Loaded& b) {
  if (a.refused || b.refused) return a.refused == b.refused;
  if (a.names != b.names || a.rows.size() != b.rows.size()) return false;
  for (std::size_t g = 0; g < a.rows.size(); ++g) {
    if (a.rows[g].size() != b.rows[g].size()) return false;
    for (std::size_t s = 0; s < a.rows[g].size(); ++s) {
      if (!same_bits(a.rows[g][s], b.rows[g][s])) return false;
    }
  }
  return true;
}

}  // namespace
}  // namespace kova::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kova::fuzz;
  // Block sizes from none at all to the engine's own, so that pieces straddle every boundary.
  constexpr std::array<std::size_t, 8> kBlockSizes = {0, 1, 2, 3, 5, 8, 64, std::size_t{1} << 20};
  ByteSource source(data, size);
  const std::int32_t genes = source.take() % 8;
  const std::int32_t samples = source.take() % 8;
  const std::size_t block_size = kBlockSizes[source.take() % kBlockSizes.size()];
  const std::string text = source.rest();

  const Loaded got = load(text, genes, samples, block_size);
  const Loaded want = plain_load(text, genes, samples);
  check(same_table(got, want), "loaded table differs from the plain reading, or only one refused it");
  check(!got.refused || got.message.rfind(want.refused_at, 0) == 0, "the refusal names the wrong line or piece");
  check(!got.refused || got.message.find('\n') == std::string::npos, "the refusal is not one line");
  check(same_table(got, load(text, genes, samples, std::size_t{1} << 20)), "the block size changed the table");
  return 0;
}
