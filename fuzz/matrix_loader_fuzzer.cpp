// Fuzz target: the matrix loader and its number grammar. The first bytes choose the number of
// genes, the number of samples and the block size of the reader; the rest is the matrix file.
// The table loaded is held against a plain reading of the whole text (a POSIX regular expression
// for the grammar, strtod for the values) and against a load with the engine's own block size.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/block_reader.hpp"
#include "engine/gene_table.hpp"
#include "engine/matrix_loader.hpp"
#include "fuzz/fuzz_support.hpp"

namespace kova::fuzz {
namespace {

struct Loaded {
  std::vector<std::string> names;
  std::vector<std::vector<double>> rows;
};

// The formatted-read rules over a string: a name is the next piece; a value is the longest number
// at the start of the next piece, a lone sign or full stop is consumed as 0, and a piece that
// cannot start a number ends the gene's values and is left for the next name.
Loaded plain_load(const std::string& text, std::int32_t genes, std::int32_t samples) {
  Loaded loaded{std::vector<std::string>(genes), std::vector<std::vector<double>>(genes, std::vector<double>(samples))};
  std::size_t i = 0;
  const auto next_piece = [&]() {
    while (i < text.size() && is_space(text[i])) ++i;
    std::size_t end = i;
    while (end < text.size() && !is_space(text[end])) ++end;
    return std::string_view(text).substr(i, end - i);
  };
  for (std::int32_t g = 0; g < genes; ++g) {
    const std::string_view name = next_piece();
    loaded.names[g] = std::string(name);
    i += name.size();
    for (std::int32_t s = 0; s < samples; ++s) {
      const std::string_view piece = next_piece();
      const GrammarMatch match = match_number(piece);
      if (match.length == 0) break;
      if (match.is_number) loaded.rows[g][s] = c_library_value(piece.substr(0, match.length));
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
  load_matrix(reader, table);
  Loaded loaded;
  for (std::int32_t g = 0; g < genes; ++g) {
    loaded.names.push_back(table[g].name);
    loaded.rows.emplace_back(table.row(g).begin(), table.row(g).end());
  }
  return loaded;
}

bool same_table(const Loaded& a, const Loaded& b) {
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
  check(same_table(got, plain_load(text, genes, samples)), "loaded table differs from the plain reading");
  check(same_table(got, load(text, genes, samples, std::size_t{1} << 20)), "the block size changed the table");
  return 0;
}
