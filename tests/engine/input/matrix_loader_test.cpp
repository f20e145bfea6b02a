#include "engine/input/matrix_loader.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace kova {
namespace {

struct Loaded {
  std::vector<std::string> names;
  std::vector<std::vector<double>> rows;
  bool operator==(const Loaded&) const = default;
};

// Loads `text` as a matrix of genes x samples, reading it in blocks of `block_size` bytes.
Loaded load(const std::string& text, std::int32_t genes, std::int32_t samples, std::size_t block_size = 1 << 20) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::tmpfile(), &std::fclose);
  std::fwrite(text.data(), 1, text.size(), file.get());
  std::rewind(file.get());
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

TEST(MatrixLoader, LineStructureCarriesNoMeaning) {
  const Loaded expected{{"g1", "g2"}, {{1, 2, 3}, {4.5, -5, 6e2}}};
  EXPECT_EQ(load("g1\t1\t2\t3\ng2\t4.5\t-5\t6e2\n", 2, 3), expected);
  EXPECT_EQ(load("g1 1 2 3 g2 4.5 -5 6e2", 2, 3), expected);
  EXPECT_EQ(load("g1\n1\n2\n3\r\ng2\r\n4.5\r\n-5\r\n6e2\r\n", 2, 3), expected);
}

TEST(MatrixLoader, BlockBoundariesInsidePiecesChangeNothing) {
  std::string text;
  for (int g = 0; g < 40; ++g) {
    text += "gene_with_a_long_name_" + std::to_string(g);
    for (int s = 0; s < 7; ++s) text += "\t" + std::to_string(g * 0.37 - s * 1.25e-3);
    text += "\r\n";
  }
  const Loaded whole = load(text, 40, 7);
  for (std::size_t block : {0, 1, 2, 3, 5, 16, 64}) EXPECT_EQ(load(text, 40, 7, block), whole) << block;
}

TEST(MatrixLoader, OnlyTheFirstGenesAreRead) {
  EXPECT_EQ(load("a 1 2 3\nb 4 5 6\nc 7 8 9\n", 1, 3), (Loaded{{"a"}, {{1, 2, 3}}}));
}

TEST(MatrixLoader, ALoneSignOrFullStopIsConsumedAsZero) {
  EXPECT_EQ(load("g - 2 . 4 -. 6 +", 1, 7), (Loaded{{"g"}, {{0, 2, 0, 4, 0, 6, 0}}}));
}

TEST(MatrixLoader, AnEarlyEndLeavesEmptyNamesAndZeros) {
  EXPECT_EQ(load("g1 1 2 3\ng2 4", 3, 3), (Loaded{{"g1", "g2", ""}, {{1, 2, 3}, {4, 0, 0}, {0, 0, 0}}}));
  EXPECT_EQ(load("g1 1 2\n", 3, 2), (Loaded{{"g1", "", ""}, {{1, 2}, {0, 0}, {0, 0}}}));
}

TEST(MatrixLoader, ZeroGenesOrSamplesReadOnlyWhatIsDue) {
  EXPECT_EQ(load("g1 1 2\n", 0, 2), (Loaded{}));
  EXPECT_EQ(load("a b c", 3, 0), (Loaded{{"a", "b", "c"}, {{}, {}, {}}}));
}

TEST(MatrixLoader, NamesOfAnyLengthAreHeldWhole) {
  const std::string name51(51, 'n');
  const std::string name5000(5000, 'm');
  const Loaded loaded = load(name51 + " 1 2\n" + name5000 + " 3 4\n", 2, 2, 64);
  EXPECT_EQ(loaded.names, (std::vector<std::string>{name51, name5000}));
  EXPECT_EQ(loaded.rows[1], (std::vector<double>{3, 4}));
}

TEST(MatrixLoader, TinyValuesLoadAsTheNearestDouble) {
  const Loaded loaded = load("g 4e-320 1e-400 -1e-400", 1, 3);
  EXPECT_EQ(loaded.rows[0][0], 4e-320);
  EXPECT_EQ(loaded.rows[0][1], 0.0);
  EXPECT_TRUE(std::signbit(loaded.rows[0][2]));
}

TEST(MatrixLoader, AFileThatCannotBeReadIsAnError) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> dir(std::fopen("/", "rb"), &std::fclose);
  ASSERT_NE(dir, nullptr);
  BlockReader reader(dir.get());
  GeneTable table(1, 1);
  EXPECT_THROW(load_matrix(reader, table), MatrixReadError);
}

TEST(MatrixLoader, APieceLongerThanAnyTextMatrixIsRefusedWhereAValueIsDue) {
  // Twice the limit: the reader tells the length only where its growing buffer ends.
  for (const char* start : {"", "1", "-2.5e"}) {
    const std::string text = std::string("g\t") + start + std::string(2 * BlockReader::kMaxPieceBytes + 2, 'x') + "\n";
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::tmpfile(), &std::fclose);
    std::fwrite(text.data(), 1, text.size(), file.get());
    std::rewind(file.get());
    BlockReader reader(file.get());
    GeneTable table(2, 3);
    EXPECT_THROW(load_matrix(reader, table), MatrixReadError) << start;
  }
}


}  // namespace
}  // namespace kova
