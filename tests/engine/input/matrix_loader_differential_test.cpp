// The matrix loader, which reads most numbers in place in its buffer, against a plain reading of
// the same text piece by piece through scan_real and real_value: names, every value bit for bit,
// and where the file ended, over random texts that mix every number form, the pieces the general
// rules must handle, and block sizes from one byte up, so that pieces straddle block boundaries.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "common/number_syntax.hpp"
#include "engine/input/block_reader.hpp"
#include "engine/model/gene_table.hpp"
#include "engine/input/matrix_loader.hpp"
#include "tests/support/number_texts.hpp"

namespace kova {
namespace {

using test::TextGenerator;

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

struct Loaded {
  std::vector<std::string> names;
  std::vector<std::vector<double>> rows;
  std::int32_t ended_in_gene = -1;
  bool refused = false;  // nothing else counts then
};

// The loading rules over the whole text, one piece at a time: a piece where a value is due must be
// wholly a number (finite) or a lone sign and/or full stop; a text without any piece is refused.
Loaded plain_load(const std::string& text, std::int32_t genes, std::int32_t samples) {
  Loaded loaded{std::vector<std::string>(genes), std::vector<std::vector<double>>(genes, std::vector<double>(samples)),
                -1, false};
  const auto refused = [] { return Loaded{{}, {}, -1, true}; };
  std::size_t i = 0;
  const auto next_piece = [&] {
    while (i < text.size() && is_white_space(text[i])) ++i;
    std::size_t end = i;
    while (end < text.size() && !is_white_space(text[end])) ++end;
    return std::string_view(text).substr(i, end - i);
  };
  const auto ended = [&](std::int32_t gene) {
    if (loaded.ended_in_gene < 0) loaded.ended_in_gene = gene;
  };
  if (genes > 0 && next_piece().empty()) return refused();
  for (std::int32_t g = 0; g < genes; ++g) {
    const std::string_view name = next_piece();
    if (name.empty()) ended(g);
    loaded.names[g] = std::string(name);
    i += name.size();
    for (std::int32_t s = 0; s < samples; ++s) {
      const std::string_view piece = next_piece();
      if (piece.empty()) {
        ended(g);
        break;
      }
      const RealScan scan = scan_real(piece);
      if (scan.length != piece.size()) return refused();
      if (scan.is_number) loaded.rows[g][s] = real_value(piece);
      if (std::isinf(loaded.rows[g][s])) return refused();
      i += scan.length;
    }
  }
  return loaded;
}

Loaded engine_load(const std::string& text, std::int32_t genes, std::int32_t samples, std::size_t block_size) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::tmpfile(), &std::fclose);
  std::fwrite(text.data(), 1, text.size(), file.get());
  std::rewind(file.get());
  BlockReader reader(file.get(), block_size);
  GeneTable table(genes, samples);
  Loaded loaded;
  try {
    loaded.ended_in_gene = load_matrix(reader, table).ended_in_gene;
  } catch (const MatrixFormatError&) {
    return {{}, {}, -1, true};
  }
  for (std::int32_t g = 0; g < genes; ++g) {
    loaded.names.push_back(table[g].name);
    loaded.rows.emplace_back(table.row(g).begin(), table.row(g).end());
  }
  return loaded;
}

// Empty when both agree; else where they first differ.
std::string first_difference(const Loaded& got, const Loaded& want) {
  if (got.refused != want.refused) return got.refused ? "refused, want loaded" : "loaded, want refused";
  if (got.ended_in_gene != want.ended_in_gene) {
    return "ended in gene " + std::to_string(got.ended_in_gene) + ", want " + std::to_string(want.ended_in_gene);
  }
  for (std::size_t g = 0; g < want.names.size(); ++g) {
    if (got.names[g] != want.names[g]) return "gene " + std::to_string(g) + " named " + got.names[g];
    for (std::size_t s = 0; s < want.rows[g].size(); ++s) {
      if (!same_bits(got.rows[g][s], want.rows[g][s])) {
        char values[80];
        std::snprintf(values, sizeof values, "%.17g, want %.17g", got.rows[g][s], want.rows[g][s]);
        return "gene " + std::to_string(g) + " sample " + std::to_string(s) + ": " + values;
      }
    }
  }
  return "";
}

TEST(MatrixLoaderDifferential, RandomTextsLoadAsThePlainReadingBitForBit) {
  TextGenerator gen(9001);
  for (int round = 0; round < 3000; ++round) {
    const std::int32_t genes = static_cast<std::int32_t>(gen.below(6));
    const std::int32_t samples = static_cast<std::int32_t>(gen.below(10));
    std::string text = gen.chance(4) ? gen.separator() : "";
    const std::uint32_t pieces = (genes * (1 + samples)) + gen.below(4);
    for (std::uint32_t p = 0; p < pieces; ++p) {
      text += p % (1 + samples) == 0 ? gen.name() : gen.piece();
      text += gen.separator();
    }
    if (gen.chance(4)) text.resize(gen.below(static_cast<std::uint32_t>(text.size()) + 1));  // ends early
    const std::size_t block_size = gen.block_size();
    const std::string difference =
        first_difference(engine_load(text, genes, samples, block_size), plain_load(text, genes, samples));
    ASSERT_EQ(difference, "") << "block size " << block_size << ", text:\n" << text;
  }
}

// Long runs of the usual layout: most numbers are read in place and only those cut by a block
// boundary take the general way.
TEST(MatrixLoaderDifferential, LargeMatricesLoadAsThePlainReadingInEveryBlockSize) {
  TextGenerator gen(4242);
  const std::int32_t genes = 300;
  const std::int32_t samples = 40;
  std::string text;
  for (std::int32_t g = 0; g < genes; ++g) {
    text += "gene" + std::to_string(g);
    const bool zero_rich = g % 3 == 0;
    for (std::int32_t s = 0; s < samples; ++s) {
      text += gen.chance(20) ? gen.separator() : "\t";
      text += zero_rich && !gen.chance(5) ? "0" : gen.value();
    }
    text += gen.chance(2) ? "\r\n" : "\n";
  }
  const Loaded want = plain_load(text, genes, samples);
  ASSERT_FALSE(want.refused);
  for (const std::size_t block_size : {std::size_t{7}, std::size_t{100}, std::size_t{4096}, std::size_t{1} << 20}) {
    ASSERT_EQ(first_difference(engine_load(text, genes, samples, block_size), want), "") << block_size;
  }
}

}  // namespace
}  // namespace kova
