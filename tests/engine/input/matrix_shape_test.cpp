// Counting genes and samples from a matrix laid out one gene per line.

#include "engine/input/matrix_shape.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "tests/support/refusal.hpp"

namespace kova {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

MatrixShape shape_of(const std::string& text) {
  std::unique_ptr<std::FILE, FileCloser> file(std::tmpfile());
  std::fwrite(text.data(), 1, text.size(), file.get());
  std::rewind(file.get());
  return count_matrix_shape(file.get());
}

std::string error_of(const std::string& text) {
  return test::refusal_of<MatrixShapeError>([&] { shape_of(text); });
}

TEST(MatrixShape, LinesHoldingPiecesAreGenesWhateverTheLineEnds) {
  struct Case {
    const char* text;
    std::int32_t genes;
    std::int32_t samples;
  };
  const Case cases[] = {
      {"g1\t1\t2\t3\ng2\t4\t5\t6\n", 2, 3},
      {"g1 1 2 3\r\ng2 4 5 6\r\n", 2, 3},
      {"g1 1 2 3\rg2 4 5 6\rg3 7 8 9", 3, 3},             // CR alone, and no line end at the end
      {"\n\n  g1  1   2 \t\n \r\n\t\ng2 3 4\n\n", 2, 2},  // blank lines and white space around
      {"g1\ng2\ng3\n", 3, 0},
      {"only 1.5e3 -2 x", 1, 3},  // pieces are counted, not judged
  };
  for (const Case& c : cases) {
    const MatrixShape shape = shape_of(c.text);
    EXPECT_EQ(shape.genes, c.genes) << c.text;
    EXPECT_EQ(shape.samples, c.samples) << c.text;
  }
}

TEST(MatrixShape, LinesThatDisagreeAndEmptyFilesAreRefused) {
  EXPECT_EQ(error_of("g1 1 2 3\n\ng2 1 2\n"), "line 3 holds 2 values, but line 1 holds 3");
  EXPECT_EQ(error_of("\r\ng1 1 2\r\ng2 1 2\r\ng3 1 2 3 4\r\n"), "line 4 holds 4 values, but line 2 holds 2");
  EXPECT_EQ(error_of(""), "it holds no gene");
  EXPECT_EQ(error_of(" \r\n\t\n"), "it holds no gene");
}

TEST(MatrixShape, AnEndlessPieceIsRefusedInsteadOfCountedForever) {
  const std::string error = error_of(std::string((std::size_t{16} << 20) + 1, 'x'));
  EXPECT_NE(error.find("without white space"), std::string::npos) << error;
  EXPECT_EQ(shape_of(std::string(std::size_t{16} << 20, 'x')).samples, 0);
}

}  // namespace
}  // namespace kova
