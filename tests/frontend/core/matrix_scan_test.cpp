// The quick look at an input matrix and what it tells about the entries.

#include "frontend/core/matrix_scan.hpp"

#include <gtest/gtest.h>

#include "tests/frontend/core/core_test_support.hpp"

namespace kova {
namespace {

MatrixScan shape_of(const std::string& bytes) {
  test::ScopedHome folder;
  const auto path = folder.path() / "m.txt";
  test::write_bytes(path, bytes);
  return scan_matrix(path).value();
}

TEST(MatrixScan, CountsGeneLinesAndValuesWhateverTheLineEndsAndBlanks) {
  const MatrixScan shape = shape_of("\r\ng1\t1 2 3\r\n  g2 -1.5e3 .5 7  \r\n\r\ng3 4 5 6");
  EXPECT_EQ(shape.lines, 3);
  EXPECT_EQ(shape.fewest_values, 3);
  EXPECT_EQ(shape.most_values, 3);
  EXPECT_FALSE(shape.header);
  EXPECT_EQ(disagreements(shape, 3, 3), std::vector<std::string>{});
  // A CR alone ends a line, as it does for the engine: such a file is three genes, not one.
  const MatrixScan old_mac = shape_of("ID\ts1\ts2\rg1 1 2\r\rg2 3 4\rg3 5 6");
  EXPECT_EQ(old_mac.lines, 4);
  EXPECT_TRUE(old_mac.header);
  EXPECT_EQ(old_mac.first_line, "ID\ts1\ts2");
  EXPECT_EQ(old_mac.fewest_values, 2);
  EXPECT_EQ(old_mac.most_values, 2);
}

TEST(MatrixScan, AHeaderLineIsNoGeneAndNotCountedAsOne) {
  const MatrixScan shape = shape_of("ID\tsample1\tsample2\r\ng1 1 2\r\ng2 3 4\r\n");
  EXPECT_TRUE(shape.header);
  EXPECT_EQ(shape.first_line, "ID\tsample1\tsample2");
  EXPECT_EQ(shape.fewest_values, 2);
  const std::vector<std::string> found = disagreements(shape, 3, 2);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_NE(found[0].find("looks like a header: 'ID\tsample1\tsample2'"), std::string::npos) << found[0];
  EXPECT_EQ(found[1], "The number of genes is 3, but the file holds 2 gene lines.");
  EXPECT_EQ(disagreements(shape, 2, 2).size(), 1u);
  // Numbers written with a comma are no numbers either: such a first line is no gene.
  EXPECT_TRUE(shape_of("g1 0,5 1,5\ng2 1 2\n").header);
}

TEST(MatrixScan, GenesAndSamplesThatDisagreeAreNamedWithTheFilesCounts) {
  const MatrixScan shape = shape_of("g1 1 2 3\ng2 1 2 3\n");
  EXPECT_EQ(disagreements(shape, 3, 4),
            (std::vector<std::string>{"The number of genes is 3, but the file holds 2 gene lines.",
                                      "The number of samples is 4, but each gene in the file has 3 values."}));
  const std::vector<std::string> ragged = disagreements(shape_of("g1 1 2 3\ng2 1 2\ng3 1\n"), 3, 3);
  EXPECT_EQ(ragged, std::vector<std::string>{"The genes in the file have different numbers of values, from 1 to 3, "
                                             "while the number of samples is 3."});
  EXPECT_EQ(disagreements(shape_of(""), 1, 1), std::vector<std::string>{"The number of genes is 1, but the file "
                                                                        "holds 0 gene lines."});
}

TEST(MatrixScan, ALongFirstLineIsShownShortAndLinesBeyondABlockAreCounted) {
  std::string bytes = "name";
  for (int i = 0; i < 5000; ++i) bytes += " s" + std::to_string(i);
  bytes += "\n";
  // Lines long enough to cross the scanner's block boundaries.
  for (int g = 0; g < 300; ++g) {
    bytes += "g" + std::to_string(g);
    for (int i = 0; i < 5000; ++i) bytes += " 0.123";
    bytes += "\n";
  }
  const MatrixScan shape = shape_of(bytes);
  EXPECT_TRUE(shape.header);
  EXPECT_EQ(shape.first_line.size(), 63u);
  EXPECT_EQ(shape.first_line.substr(60), "...");
  EXPECT_EQ(shape.lines, 301);
  EXPECT_EQ(shape.fewest_values, 5000);
  EXPECT_EQ(shape.most_values, 5000);
}

TEST(MatrixScan, AFileThatCannotBeReadGivesNothing) { EXPECT_EQ(scan_matrix("/no/such/folder/m.txt"), std::nullopt); }

}  // namespace
}  // namespace kova
